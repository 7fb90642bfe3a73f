#pragma once

// Class references of the class library: a name, a parent, a factory and the
// published-property table. Every streamable class has exactly one.

#include "platform/classes/NameTable.h"
#include "platform/classes/PropInfo.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace classes {

class TComponent;
class TCollection;
class TCollectionItem;

class TMetaClass
{
public:
    TMetaClass(const QString &name, const TMetaClass *parent);
    TMetaClass(TMetaClass &&) = default;
    TMetaClass(const TMetaClass &) = delete;
    TMetaClass &operator=(const TMetaClass &) = delete;

    const QString &ClassName() const { return m_name; }
    const std::string &ClassNameBytes() const { return m_nameBytes; }
    const TMetaClass *ClassParent() const { return m_parent; }
    bool InheritsFrom(const TMetaClass &other) const;

    // Ancestors' properties first, each class in declaration order.
    const std::vector<const TPropInfo *> &Properties() const { return m_all; }
    // Looked up without regard to ASCII case; nullptr when not published.
    const TPropInfo *FindProperty(std::string_view name) const;
    const TPropInfo *FindProperty(QStringView name) const;

    // Factories: components take their owner, collection items their
    // collection; plain persistent classes are made without arguments.
    // Each raises EClassNotFound when the class cannot be made that way.
    bool IsAbstract() const { return !m_newComponent && !m_newItem && !m_newInstance; }
    TComponent *NewComponent(TComponent *owner) const;
    TCollectionItem *NewItem(TCollection *collection) const;
    TPersistent *NewInstance() const;

    // Used by TClassBuilder while the class is declared.
    TPropInfo &AddProperty(TPropInfo info);
    void SetFactories(TComponent *(*newComponent)(TComponent *), TCollectionItem *(*newItem)(TCollection *),
                      TPersistent *(*newInstance)());

private:
    QString m_name;
    std::string m_nameBytes;
    const TMetaClass *m_parent = nullptr;
    std::vector<std::unique_ptr<TPropInfo>> m_own;
    std::vector<const TPropInfo *> m_all;
    static std::string_view propKey(const TPropInfo *prop) { return prop->NameBytes; }
    TNameTable<const TPropInfo, std::string_view, &TMetaClass::propKey> m_index;
    TComponent *(*m_newComponent)(TComponent *) = nullptr;
    TCollectionItem *(*m_newItem)(TCollection *) = nullptr;
    TPersistent *(*m_newInstance)() = nullptr;
};

} // namespace classes

// Declares the class reference of a class of the class library; the .cpp
// defines StaticClass() with MakeClass (ClassBuilder.h).
#define ZVO_CLASS(ClassName_)                                                                                          \
public:                                                                                                                \
    static const ::classes::TMetaClass &StaticClass();                                                                 \
    const ::classes::TMetaClass &ClassType() const override                                                            \
    {                                                                                                                  \
        return StaticClass();                                                                                          \
    }                                                                                                                  \
                                                                                                                       \
private:
