#pragma once

// The process-wide list of printers: "Default" (whatever printer the system
// names as default), "Screen" (a printer that measures but never prints),
// then the printers of the printing system. Each entry knows, made on first
// use, its papers, bins and whether its driver makes copies.

#include "report/model/printing/PrinterBackend.h"

#include "platform/classes/StringList.h"

#include <QString>

#include <memory>
#include <vector>

namespace report {

// The entries that stand for no queue of the printing system: "Default"
// (whatever the system names as default, as printer and as bin), "Screen"
// (the printer that only measures), and "Custom" (a paper of the user's own
// size).
inline const QString DefaultName = QStringLiteral("Default");
inline const QString ScreenName = QStringLiteral("Screen");
inline const QString CustomName = QStringLiteral("Custom");

class TppPrinter;

class TppPrinterCapabilities : public classes::TObject
{
public:
    explicit TppPrinterCapabilities(const QString &aPrinterName);

    // Same length, index i describing one bin: decimal codes; names.
    classes::TStringList BinCodes;
    classes::TStringList BinNames;
    // Same length, index i describing one paper: decimal height and width in
    // tenths of a millimetre (portrait), name, decimal code.
    classes::TStringList PaperHeights;
    classes::TStringList PaperNames;
    classes::TStringList PaperCodes;
    classes::TStringList PaperWidths;
    bool DriverCopies = false;
    QString PrinterName;
};

// Shared by the list and whoever holds it (setups, printers): a refresh
// drops the list's share, so an entry lives exactly as long as it is held.
class TppPrinterInfo
    : public classes::TObject
    , public std::enable_shared_from_this<TppPrinterInfo>
{
public:
    // A null text stands for "none".
    TppPrinterInfo(const QString &aName, const QString &aDriver, const QString &aDevice, const QString &aPort,
                   bool aIsLocal);
    ~TppPrinterInfo() override;

    // Built on the first call.
    virtual TppPrinterCapabilities *GetCapabilities();
    TppPrinterCapabilities *Capabilities() { return GetCapabilities(); }

    const QString &Name() const { return m_entry.name; }
    const QString &Driver() const { return m_entry.driver; }
    const QString &Device() const { return m_entry.device; }
    const QString &Port() const { return m_entry.port; }
    bool IsLocal() const { return m_entry.isLocal; }
    bool IsValid() const { return m_isValid; }
    void SetIsValid(bool aValid) { m_isValid = aValid; }
    // The entry as the printing system knows it.
    const PrinterEntry &Entry() const { return m_entry; }
    virtual bool IsScreen() const { return false; }

protected:
    std::unique_ptr<TppPrinterCapabilities> m_capabilities;

private:
    PrinterEntry m_entry;
    bool m_isValid = true;
};

// "Screen": measures at the screen's resolution and offers a fixed set of papers.
class TppScreenPrinterInfo : public TppPrinterInfo
{
public:
    TppScreenPrinterInfo();
    TppPrinterCapabilities *GetCapabilities() override;
    bool IsScreen() const override { return true; }
};

class TppPrinterList : public classes::TObject
{
public:
    // Reads the printers and the default printer.
    TppPrinterList();
    ~TppPrinterList() override;

    // Entry names, each with its TppPrinterInfo as object (shared, see
    // TppPrinterInfo).
    const classes::TStringList &Printers() const { return m_printers; }
    const QString &DefaultPrinterName() const { return m_defaultPrinterName; }
    int Count() const { return m_printers.Count(); }

    // Rebuilds the entries and frees the global printer, which is made again
    // on demand. Entries held elsewhere are stale afterwards but stay
    // readable while held; the others are freed.
    void Refresh();
    // An unknown name gives the default printer's entry (nullptr when that
    // cannot be found either).
    TppPrinterInfo *PrinterByName(const QString &aName) const;
    // Asks the system again.
    void GetDefaultPrinterName(QString &aName);
    // The first entry with that device ('' when none).
    void EntryNameOfDevice(const QString &aDevice, QString &aName) const;

private:
    void clear();
    TppPrinterInfo *infoAt(int index) const;

    classes::TStringList m_printers;
    // The list's share of each entry of m_printers.
    std::vector<std::shared_ptr<TppPrinterInfo>> m_entries;
    QString m_defaultPrinterName;
};

// "%s on %s" of the entry's device and port; '' when either is missing.
void ppDeviceOnPortText(const TppPrinterInfo *aInfo, QString &aText);
// Clears aList and adds the comma-separated items, leading blanks skipped.
void ppSplitCommaText(const QString &aText, classes::TStrings &aList);

// The process-wide list, made on first call.
TppPrinterList *ppGetPrinterList();
// The process-wide printer, made on first call when the list holds a real
// printer (more than "Default" and "Screen"); else nullptr.
TppPrinter *ppGetGlobalPrinter();
// The "No Printer Installed" entry for setups without a printer.
TppPrinterInfo *ppGetNoPrinterInfo();
// A share of an entry of the list or of the placeholder (nullptr for nullptr).
std::shared_ptr<TppPrinterInfo> ppHoldPrinterInfo(TppPrinterInfo *aInfo);
// Frees the list, the global printer and the placeholder (library shut-down).
void ppFreePrinters();

} // namespace report
