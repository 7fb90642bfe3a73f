#include "report/model/base/MessageTable.h"

#include <array>
#include <string_view>

namespace report {

namespace {

struct Message
{
    int id;
    std::u16string_view text;
};

// Verbatim, double blanks and accelerators included: dialogs and messages
// elsewhere are compared against these texts.
constexpr Message Messages[] = {
    {43001, u"100 %"},
    {43002, u"Accessing data..."},
    {43003, u"All"},
    {43004, u"Calculating page <page> for report <documentname>"},
    {43005, u"Cancel"},
    {43006, u"Close"},
    {43007, u"Copies"},
    {43008, u"There are no printers connected to your computer."},
    {43009, u"Current Page"},
    {43010, u"Drawing page <page> of <pagecount> for report <documentname>"},
    {43011, u"Enter page numbers and/or page ranges separated by commas.  For example, 1,3,5-12."},
    {43012, u"Report Emulation Text File"},
    {43013, u"First Page"},
    {43014, u"Last Page"},
    {43015, u"Next Page"},
    {43016, u"of"},
    {43017, u"OK"},
    {43018, u"Page"},
    {43019, u"Page Range"},
    {43020, u"Pages"},
    {43022, u"Print"},
    {43023, u"Print Preview"},
    {43024, u"Printing"},
    {43025, u"Printer"},
    {43026, u"Print to File"},
    {43027, u"Printing page <page> for report <documentname> on the <printername>"},
    {43028, u"Printing page <page> of <pagecount> for report <documentname> on the <printername>"},
    {43029, u"Prior Page"},
    {43030, u"Whole Page"},
    {43031, u"Page Width"},
    {43032, u"No pages entered."},
    {43033, u"Please specify file name before continuing."},
    {43034, u"Archive File"},
    {43037, u"Text File"},
    {43038, u"As"},
    {43039, u"Name"},
    {43040, u"Could not open DataSet."},
    {43042, u"Unable to convert position for column <columnno>."},
    {43043, u"Unable to find position for column <columnno>."},
    {43044, u"Band height cannot exceed page height."},
    {43045, u"Record not found:"},
    {43046, u"File not found:"},
    {43047, u"Error reading template from database."},
    {43049, u"Invalid Template Format"},
    {43050, u"Ignore the error and continue?"},
    {43051, u"File is read-only."},
    {43053, u"Cannot store a template to a field of this type."},
    {43054, u"Show all data where the"},
    {43055, u"and the"},
    {43056, u"is not a valid date."},
    {43057, u"is not a valid time."},
    {43058, u"is not a valid datetime."},
    {43059, u"is not a valid number."},
    {43060, u"Value must be either True or False."},
    {43061, u"Search value must be entered."},
    {43062, u"and"},
    {43063, u"Add to list"},
    {43064, u"Remove from list"},
    {43065, u"Search"},
    {43066, u"indicates that this search value must be entered."},
    {43067, u"Unable to open file: <filename>."},
    {43068, u"(blank)"},
    {43069, u"Calculating Crosstab: Record <count>."},
    {43070, u"Total"},
    {43071, u"Data"},
    {43072, u"Grand Total"},
    {43073, u"CrossTab: <name> references field '<name>'"},
    {43074, u"which is not a field of data pipeline: <name>."},
    {43075, u"Subtotal"},
    {43076, u"Formatting CrossTab: Compute cell heights and widths."},
    {43077, u"Formatting CrossTab Values: Compute cell heights and widths."},
    {43078, u"Formatting CrossTab Values: Compute cell heights and widths. Column: <count> Row: <count>"},
    {43079, u"Formatting CrossTab Rows: Compute caption text sizes."},
    {43080, u"Formatting CrossTab Rows: Coalesce caption heights."},
    {43081, u"Formatting CrossTab Rows: Allocate caption heights."},
    {43082, u"Formatting CrossTab Rows: Adjust total row heights."},
    {43083, u"Formatting CrossTab Rows: Allocate caption widths."},
    {43084, u"Formatting CrossTab Columns: Compute caption text sizes."},
    {43085, u"Formatting CrossTab Columns: Coalesce caption widths."},
    {43086, u"Formatting CrossTab Columns: Coalesce caption heights."},
    {43087, u"Formatting CrossTab Columns: Allocate caption widths."},
    {43088, u"Formatting CrossTab Columns: Adjust total column heights."},
    {43089, u"Formatting CrossTab Columns: Position field labels."},
    {43090, u"Formatting CrossTab Values: Position field labels."},
    {43091, u"Formatting CrossTab Values: Allocate caption heights."},
    {43092, u"is"},
    {43093, u"is equal to"},
    {43094, u"is not"},
    {43095, u"is not equal to"},
    {43096, u"is before"},
    {43097, u"is less than"},
    {43098, u"is on or before"},
    {43099, u"is less than or equal to"},
    {43100, u"is after"},
    {44000, u"is greater than"},
    {44001, u"is on or after"},
    {44002, u"is greater than or equal to"},
    {44003, u"begins with"},
    {44004, u"does not begin with"},
    {44005, u"is between"},
    {44006, u"is not between"},
    {44007, u"matches one of the values in this list"},
    {44008, u"is blank"},
    {44009, u"is not blank"},
    {44010, u"&Name"},
    {44011, u"Type"},
    {44012, u"Where"},
    {44013, u"&Properties"},
    {44014, u"Number of &copies"},
    {44015, u"Colla&te"},
    {44016, u"P&rint"},
    {44017, u"All pages in range"},
    {44018, u"Odd pages"},
    {44019, u"Even pages"},
    {44020, u"Windows cannot print due to a problem with the current printer setup."},
    {44021, u"Search Data"},
    {44022, u"No bands for this report."},
    {44023, u"Cannot generate report."},
    {44024, u"Invalid Value"},
    {44025, u"Move Tab &Left"},
    {44026, u"Move Tab &Right"},
    {44027, u"does not match any of the values in this list"},
    {44028, u"Count"},
    {44029, u"Sum"},
    {44030, u"Minimum"},
    {44031, u"Maximum"},
    {44032, u"Average"},
    {44033, u"Show all values of the <name> field."},
    {44034, u"No Data Found"},
    {44035, u"No data found for this report."},
    {44036, u"has any value."},
    {44040, u"Main"},
    {44041, u"Hide Outline"},
    {44042, u"Show Outline"},
    {44043, u"Expand Outline"},
    {44044, u"Collapse Outline"},
    {44045, u"...more..."},
    {44046, u"Done"},
    {44047, u"Error"},
    {44048, u"Found"},
    {44049, u"Clear the search"},
    {44050, u"Found Text From Page"},
    {44051, u"Text Search Cancelled"},
    {44052, u"Enter the text to find"},
    {44053, u"Find text in the report"},
    {44054, u"Show the Find Text Toolbar"},
    {44055, u"Hide the Find Text Toolbar"},
    {44056, u"Start Search on Current Page"},
    {44057, u"Start Search on First Page"},
    {44058, u"Find First"},
    {44059, u"Find Last"},
    {44060, u"Find Next"},
    {44061, u"Find Prior"},
    {44062, u"Show All"},
    {44063, u"Case Sensitive"},
    {44064, u"Whole Word"},
    {44065, u"StartingPage"},
    {44066, u"Enabled"},
    {44067, u"Show the Find Text Toolbar"},
    {44068, u"Default Find Text String"},
    {44069, u"<FindText>"},
    {44070, u"Error: Text Search Cancelled"},
    {44071, u"Find"},
    {44072, u"Find Text"},
};

// The ids come in two runs; one slot per id of either run.
constexpr int FirstRunStart = 43001;
constexpr int FirstRunEnd = 43100;
constexpr int SecondRunStart = 44000;
constexpr int SecondRunEnd = 44072;
constexpr int FirstRunSize = FirstRunEnd - FirstRunStart + 1;
constexpr int SlotCount = FirstRunSize + (SecondRunEnd - SecondRunStart + 1);

int slotOf(int id)
{
    if (id >= FirstRunStart && id <= FirstRunEnd)
        return id - FirstRunStart;
    if (id >= SecondRunStart && id <= SecondRunEnd)
        return FirstRunSize + id - SecondRunStart;
    return -1;
}

// Made once; the texts point at the constant data above.
const std::array<QString, SlotCount> &messageSlots()
{
    static const std::array<QString, SlotCount> table = [] {
        std::array<QString, SlotCount> t;
        for (const Message &m : Messages)
            t[size_t(slotOf(m.id))] =
                QString::fromRawData(reinterpret_cast<const QChar *>(m.text.data()), qsizetype(m.text.size()));
        return t;
    }();
    return table;
}

} // namespace

QString ppOwnMessageText(int aResourceId)
{
    const int slot = slotOf(aResourceId);
    return slot < 0 ? QString() : messageSlots()[size_t(slot)];
}

} // namespace report
