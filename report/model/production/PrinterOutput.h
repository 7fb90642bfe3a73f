#pragma once

// What the producer asks of a printer device beyond the device protocol: its
// printer, and whether that printer can print. The printer device class
// registered as "Printer" offers it; a device without it prints on its own
// terms.

namespace report {

class TppPrinter;

class TppPrinterOutput
{
public:
    virtual ~TppPrinterOutput() = default;
    // Owned by the device.
    virtual TppPrinter *OutputPrinter() const = 0;
    virtual bool PrinterUsable() const = 0;
};

} // namespace report
