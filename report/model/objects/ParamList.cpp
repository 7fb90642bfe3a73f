#include "report/model/objects/ParamList.h"

#include "platform/classes/PropInfo.h"

namespace report {

bool raPointerFits(TraDataType aDataType, const TraValuePointer &aPointer)
{
    switch (aDataType) {
    case TraDataType::daInteger: return std::holds_alternative<int32_t *>(aPointer);
    case TraDataType::daSingle: return std::holds_alternative<float *>(aPointer);
    case TraDataType::daDouble:
    case TraDataType::daDateTime:
    case TraDataType::daDate:
    case TraDataType::daTime: return std::holds_alternative<double *>(aPointer);
    case TraDataType::daExtended: return std::holds_alternative<long double *>(aPointer);
    case TraDataType::daCurrency: return std::holds_alternative<int64_t *>(aPointer);
    case TraDataType::daChar: return std::holds_alternative<QChar *>(aPointer);
    case TraDataType::daString: return std::holds_alternative<QString *>(aPointer);
    case TraDataType::daBoolean: return std::holds_alternative<bool *>(aPointer);
    case TraDataType::daVariant: return std::holds_alternative<QVariant *>(aPointer);
    case TraDataType::daObject: return std::holds_alternative<classes::TObject *>(aPointer);
    case TraDataType::daClass:
        return std::holds_alternative<classes::TObject **>(aPointer) ||
               std::holds_alternative<const classes::TMetaClass **>(aPointer);
    case TraDataType::daEnumerated: return std::holds_alternative<uint8_t *>(aPointer);
    case TraDataType::daNotSupported:
    case TraDataType::daMethod: break;
    }
    return false;
}

void raValueMismatch(const QString &aWhat)
{
    throw EBrevantorError(aWhat.isEmpty() ? QStringLiteral("No variable of that type is bound to the value")
                                          : QStringLiteral("No variable of that type is bound to ") + aWhat);
}

namespace detail {

classes::TObject *readObject(const TraValuePointer &aPointer, const QString &aWhat)
{
    if (classes::TObject *const *object = std::get_if<classes::TObject *>(&aPointer))
        return *object;
    classes::TObject **const *variable = std::get_if<classes::TObject **>(&aPointer);
    if (!variable || !*variable)
        raValueMismatch(aWhat);
    return **variable;
}

} // namespace detail

int TraParamList::AddParam(const QString &aName, TraDataType aDataType, bool aIsVar, bool aIsConst,
                           const QString &aTypeName, const classes::TMetaClass *aClass)
{
    TraParamRec rec;
    rec.Name = aName;
    rec.DataType = aDataType;
    rec.ClassType = aClass;
    rec.TypeName = aTypeName;
    rec.IsConst = aIsConst;
    rec.IsVar = aIsVar;
    m_params.push_back(std::move(rec));
    return Count() - 1;
}

int TraParamList::IndexOf(const QString &aName) const
{
    for (int i = 0; i < Count(); ++i)
        if (classes::SameName(m_params[size_t(i)].Name, aName))
            return i;
    return -1;
}

void TraParamList::SetParamValuePointer(int aIndex, const TraValuePointer &aPointer)
{
    const TraParamRec &rec = at(aIndex);
    // A daObject parameter may be nil: the object itself is the value.
    if (!std::holds_alternative<std::monostate>(aPointer) && !raPointerFits(rec.DataType, aPointer))
        throw EBrevantorError(QStringLiteral("A variable of another type cannot be bound to ") + rec.Name);
    m_params[size_t(aIndex)].ValuePointer = aPointer;
}

const TraParamRec &TraParamList::at(int aIndex) const
{
    if (aIndex < 0 || aIndex >= Count())
        throw EBrevantorError(QStringLiteral("Parameter index out of bounds (%1)").arg(aIndex));
    return m_params[size_t(aIndex)];
}

} // namespace report
