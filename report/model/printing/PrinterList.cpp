#include "report/model/printing/PrinterList.h"

#include "report/model/printing/PaperTables.h"
#include "report/model/printing/Printer.h"

#include <atomic>
#include <mutex>

namespace report {

namespace {

// The printer lock: guards the first creation of the list, the global
// printer and the placeholder. Readers that find one made skip it.
std::mutex g_printerLock;
std::atomic<TppPrinterList *> g_printerList{nullptr};
std::atomic<TppPrinter *> g_globalPrinter{nullptr};
std::atomic<TppPrinterInfo *> g_noPrinterInfo{nullptr};
std::shared_ptr<TppPrinterInfo> g_noPrinterInfoShare;

void freeGlobalPrinter()
{
    delete g_globalPrinter.exchange(nullptr, std::memory_order_acq_rel);
}

QString number(int value)
{
    return QString::number(value);
}

int toInt(const QString &text)
{
    return text.toInt();
}

void setOrAdd(classes::TStringList &list, int index, const QString &text)
{
    if (index < list.Count())
        list.Put(index, text);
    else
        list.Add(text);
}

void moveToEnd(classes::TStringList &list, int index)
{
    if (index >= 0 && index < list.Count())
        list.Move(index, list.Count() - 1);
}

// Puts the driver's papers in the order and shape the library works with.
void normalisePapers(TppPrinterCapabilities &c, const DriverCapabilities &d)
{
    for (int code : d.paperCodes)
        c.PaperCodes.Add(number(code));
    for (int w : d.paperWidths)
        c.PaperWidths.Add(number(w));
    for (int h : d.paperHeights)
        c.PaperHeights.Add(number(h));
    for (const QString &name : d.paperNames)
        c.PaperNames.Add(name);

    const int codes = c.PaperCodes.Count();
    if (c.PaperNames.Count() < codes) {
        c.PaperNames.Clear();
        for (int i = 0; i < codes; ++i) {
            const int code = toInt(c.PaperCodes.Strings(i));
            QString name = ppPaperNameOfCode(code);
            if (name == QLatin1String("Unknown")) {
                if (i < c.PaperWidths.Count() && i < c.PaperHeights.Count())
                    name = ppPaperSizeText(toInt(c.PaperWidths.Strings(i)), toInt(c.PaperHeights.Strings(i)));
                else
                    name = QStringLiteral("Unknown: ") + c.PaperCodes.Strings(i);
            }
            c.PaperNames.Add(name);
        }
    }
    while (c.PaperNames.Count() > codes)
        c.PaperNames.Delete(c.PaperNames.Count() - 1);

    int custom = c.PaperCodes.IndexOf(QStringLiteral("256"));
    if (custom < 0) {
        for (int i = 0; i < c.PaperNames.Count(); ++i) {
            const QString upper = c.PaperNames.Strings(i).toUpper();
            if (upper.contains(QLatin1String("CUSTOM")) || upper.contains(QLatin1String("USER"))) {
                custom = i;
                break;
            }
        }
    }
    if (custom >= 0 && custom < c.PaperNames.Count()) {
        c.PaperNames.Put(custom, CustomName);
        if (custom >= c.PaperCodes.Count())
            c.PaperCodes.Add(QStringLiteral("256"));
    } else {
        c.PaperNames.Add(CustomName);
        c.PaperCodes.Add(QStringLiteral("256"));
    }

    for (int i = 0; i < c.PaperCodes.Count(); ++i) {
        if (i < c.PaperWidths.Count() && i < c.PaperHeights.Count())
            continue;
        const QSize size = ppPaperSizeOfCode(toInt(c.PaperCodes.Strings(i)));
        setOrAdd(c.PaperWidths, i, number(size.width()));
        setOrAdd(c.PaperHeights, i, number(size.height()));
    }
    // A driver that reports more sizes than papers would shift every size
    // after the paper moved to the end; the surplus describes nothing.
    while (c.PaperWidths.Count() > c.PaperCodes.Count())
        c.PaperWidths.Delete(c.PaperWidths.Count() - 1);
    while (c.PaperHeights.Count() > c.PaperCodes.Count())
        c.PaperHeights.Delete(c.PaperHeights.Count() - 1);

    for (int i = c.PaperNames.Count() - 1; i >= 0; --i) {
        if (c.PaperNames.Strings(i) == CustomName)
            continue;
        if (c.PaperWidths.Strings(i) == QLatin1String("0") || c.PaperHeights.Strings(i) == QLatin1String("0")) {
            c.PaperNames.Delete(i);
            c.PaperCodes.Delete(i);
            c.PaperWidths.Delete(i);
            c.PaperHeights.Delete(i);
        }
    }

    const int last = c.PaperNames.IndexOf(CustomName);
    moveToEnd(c.PaperNames, last);
    moveToEnd(c.PaperCodes, last);
    moveToEnd(c.PaperWidths, last);
    moveToEnd(c.PaperHeights, last);
}

void normaliseBins(TppPrinterCapabilities &c, const DriverCapabilities &d)
{
    for (const QString &name : d.binNames)
        c.BinNames.Add(name);
    for (int code : d.binCodes)
        c.BinCodes.Add(number(code));
    while (c.BinNames.Count() > c.BinCodes.Count())
        c.BinNames.Delete(c.BinNames.Count() - 1);
    while (c.BinCodes.Count() > c.BinNames.Count())
        c.BinCodes.Delete(c.BinCodes.Count() - 1);
    if (c.BinNames.IndexOf(DefaultName) < 0) {
        c.BinNames.Insert(0, DefaultName);
        c.BinCodes.Insert(0, QStringLiteral("7"));
    }
}

} // namespace

// ---- TppPrinterCapabilities --------------------------------------------------

TppPrinterCapabilities::TppPrinterCapabilities(const QString &aPrinterName)
    : PrinterName(aPrinterName)
{}

// ---- TppPrinterInfo ----------------------------------------------------------

TppPrinterInfo::TppPrinterInfo(const QString &aName, const QString &aDriver, const QString &aDevice,
                               const QString &aPort, bool aIsLocal)
    : m_entry{aName, aDriver, aDevice, aPort, aIsLocal}
{}

TppPrinterInfo::~TppPrinterInfo() = default;

TppPrinterCapabilities *TppPrinterInfo::GetCapabilities()
{
    if (m_capabilities)
        return m_capabilities.get();
    auto caps = std::make_unique<TppPrinterCapabilities>(Name());
    const DriverCapabilities driver = print::printerBackend().capabilities(m_entry);
    caps->DriverCopies = driver.copies > 2;
    normalisePapers(*caps, driver);
    normaliseBins(*caps, driver);
    m_capabilities = std::move(caps);
    return m_capabilities.get();
}

TppScreenPrinterInfo::TppScreenPrinterInfo()
    : TppPrinterInfo(ScreenName, QString(), ScreenName, QString(), true)
{}

TppPrinterCapabilities *TppScreenPrinterInfo::GetCapabilities()
{
    if (m_capabilities)
        return m_capabilities.get();
    auto caps = std::make_unique<TppPrinterCapabilities>(Name());
    caps->BinCodes.Add(QStringLiteral("7"));
    caps->BinNames.Add(DefaultName);
    caps->DriverCopies = false;
    for (int code : {256, 1, 5, 8, 8, 9, 17, 39, 40, 19, 20, 21, 22, 23}) {
        const QSize size = ppPaperSizeOfCode(code);
        caps->PaperCodes.Add(number(code));
        caps->PaperNames.Add(ppPaperNameOfCode(code));
        caps->PaperWidths.Add(number(size.width()));
        caps->PaperHeights.Add(number(size.height()));
    }
    m_capabilities = std::move(caps);
    return m_capabilities.get();
}

// ---- TppPrinterList ----------------------------------------------------------

TppPrinterList::TppPrinterList()
{
    Refresh();
    QString name;
    GetDefaultPrinterName(name);
}

TppPrinterList::~TppPrinterList()
{
    clear();
}

void TppPrinterList::clear()
{
    m_printers.Clear();
    m_entries.clear();
}

TppPrinterInfo *TppPrinterList::infoAt(int index) const
{
    return static_cast<TppPrinterInfo *>(m_printers.Objects(index));
}

void TppPrinterList::Refresh()
{
    freeGlobalPrinter();
    clear();
    const auto add = [this](const QString &name, std::shared_ptr<TppPrinterInfo> info) {
        m_printers.AddObject(name, info.get());
        m_entries.push_back(std::move(info));
    };
    add(DefaultName, std::make_shared<TppPrinterInfo>(DefaultName, QString(), QString(), QString(), true));
    add(ScreenName, std::make_shared<TppScreenPrinterInfo>());
    for (const PrinterEntry &entry : print::printerBackend().printers())
        add(entry.name,
            std::make_shared<TppPrinterInfo>(entry.name, entry.driver, entry.device, entry.port, entry.isLocal));
}

TppPrinterInfo *TppPrinterList::PrinterByName(const QString &aName) const
{
    const QString name = aName == DefaultName ? m_defaultPrinterName : aName;
    int index = m_printers.IndexOf(name);
    // "Device on port": the part before the first " on" names a device. A
    // name without " on" gives no part, and nothing names no printer.
    const int on = name.indexOf(QLatin1String(" on"));
    if (index < 0 && on > 0) {
        QString entryName;
        EntryNameOfDevice(name.left(on), entryName);
        if (!entryName.isEmpty())
            index = m_printers.IndexOf(entryName);
    }
    if (index < 0)
        index = m_printers.IndexOf(m_defaultPrinterName);
    return index >= 0 ? infoAt(index) : nullptr;
}

void TppPrinterList::GetDefaultPrinterName(QString &aName)
{
    QString device = print::printerBackend().defaultDevice();
    if (device.isEmpty())
        device = ScreenName;
    EntryNameOfDevice(device, m_defaultPrinterName);
    aName = m_defaultPrinterName;
}

void TppPrinterList::EntryNameOfDevice(const QString &aDevice, QString &aName) const
{
    aName.clear();
    for (int i = 0; i < m_printers.Count(); ++i) {
        const TppPrinterInfo *info = infoAt(i);
        if (!info->Device().isNull() && info->Device() == aDevice) {
            aName = m_printers.Strings(i);
            return;
        }
    }
}

// ---- Helpers and process-wide objects ----------------------------------------

void ppDeviceOnPortText(const TppPrinterInfo *aInfo, QString &aText)
{
    aText.clear();
    if (!aInfo || aInfo->Device().isNull() || aInfo->Port().isNull())
        return;
    aText = QStringLiteral("%1 on %2").arg(aInfo->Device(), aInfo->Port());
}

void ppSplitCommaText(const QString &aText, classes::TStrings &aList)
{
    aList.Clear();
    if (aText.isEmpty())
        return;
    for (const QString &item : aText.split(QLatin1Char(','))) {
        qsizetype start = 0;
        while (start < item.size() && item.at(start) == QLatin1Char(' '))
            ++start;
        aList.Add(item.mid(start));
    }
}

TppPrinterList *ppGetPrinterList()
{
    if (TppPrinterList *list = g_printerList.load(std::memory_order_acquire))
        return list;
    std::lock_guard lock(g_printerLock);
    if (TppPrinterList *list = g_printerList.load(std::memory_order_acquire))
        return list;
    auto *list = new TppPrinterList();
    g_printerList.store(list, std::memory_order_release);
    return list;
}

TppPrinter *ppGetGlobalPrinter()
{
    if (TppPrinter *printer = g_globalPrinter.load(std::memory_order_acquire))
        return printer;
    TppPrinterList *list = ppGetPrinterList();
    std::lock_guard lock(g_printerLock);
    if (TppPrinter *printer = g_globalPrinter.load(std::memory_order_acquire))
        return printer;
    if (list->Count() <= 2)
        return nullptr;
    auto *printer = new TppPrinter();
    g_globalPrinter.store(printer, std::memory_order_release);
    return printer;
}

TppPrinterInfo *ppGetNoPrinterInfo()
{
    if (TppPrinterInfo *info = g_noPrinterInfo.load(std::memory_order_acquire))
        return info;
    std::lock_guard lock(g_printerLock);
    if (TppPrinterInfo *info = g_noPrinterInfo.load(std::memory_order_acquire))
        return info;
    g_noPrinterInfoShare = std::make_shared<TppPrinterInfo>(
        QStringLiteral("No Printer Installed"), QStringLiteral("None"), QStringLiteral("None"), QString(""), true);
    g_noPrinterInfo.store(g_noPrinterInfoShare.get(), std::memory_order_release);
    return g_noPrinterInfoShare.get();
}

std::shared_ptr<TppPrinterInfo> ppHoldPrinterInfo(TppPrinterInfo *aInfo)
{
    return aInfo ? aInfo->shared_from_this() : nullptr;
}

void ppFreePrinters()
{
    std::lock_guard lock(g_printerLock);
    freeGlobalPrinter();
    delete g_printerList.exchange(nullptr, std::memory_order_acq_rel);
    g_noPrinterInfo.store(nullptr, std::memory_order_release);
    g_noPrinterInfoShare.reset();
}

} // namespace report
