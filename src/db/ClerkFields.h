#pragma once
// The fields of a staff record in the order Vw_Clerk lists them after Clerk_ID. The grid, its
// editor, the statements, the demo data, the report and the benchmark all read them from here,
// and ClerkColumns below is the one place that says where a field stands in each numbering.

#include <array>
#include <QString>
#include <string_view>

struct ClerkField
{
    const char *Name;   // column of Clerk and Vw_Clerk
    const char *Header; // caption in the grid's default header line
    int WidthTwips;     // grid column width
    int MaxLength;      // characters the editor takes by typing; 0: no limit
    // The staff list report: the caption's text object, its text id and default, and its place
    // among the report's columns (0: the report does not show the field).
    struct
    {
        int Position;
        const char *Object;
        const char *Id;
        const char *Default;
    } Report;
};

inline constexpr std::array<ClerkField, 14> ClerkFields{{
    {"Clerk_NO", "NO.", 1200, 50, {}},
    {"Clerk_Ext", "Ext", 700, 50, {2, "txtExt", "0436", "Ext"}},
    {"Clerk_UserName", "Username", 1200, 200, {1, "txtName", "0439", "Name"}},
    {"Clerk_Dept", "Department", 1000, 150, {}},
    {"Clerk_Address", "Address", 2000, 200, {}},
    {"Clerk_Phone", "Phone", 1000, 200, {3, "txtTel", "0057", "Tel"}},
    {"Clerk_Mobile", "Mobile", 1000, 200, {4, "txtMobile", "0062", "Mobile"}},
    {"Clerk_Email", "Email", 1200, 200, {5, "txtEmail", "0114", "Email"}},
    {"Clerk_IP", "IP", 800, 50, {}},
    {"Clerk_QQ", "QQ", 800, 100, {}},
    {"Clerk_MSN", "MSN", 1000, 100, {}},
    {"Clerk_SKP", "SKP", 1000, 100, {}},
    {"Clerk_Computer", "Computer", 1000, 200, {}},
    {"Clerk_Memo", "Memo", 2500, 0, {}},
}};

inline constexpr int ClerkFieldCount = int(ClerkFields.size());

// The index of a field by name; -1 when there is none.
constexpr int ClerkFieldIndex(std::string_view name)
{
    for (int i = 0; i < ClerkFieldCount; ++i) {
        if (name == ClerkFields[size_t(i)].Name)
            return i;
    }
    return -1;
}

// Three numberings list a staff record, and only these conversions cross between them:
// - a field: its index in ClerkFields;
// - a record column, as Vw_Clerk and the save's reads list a record: the key, then the fields;
// - a grid column of the staff grid: the serial number, the hidden key, then the fields. The
//   grid's header line (text 0419) holds one caption per grid column.
namespace ClerkColumns {

inline constexpr int RecordKeyCol = 0;
constexpr int RecordCol(int field)
{
    return RecordKeyCol + 1 + field;
}

inline constexpr int GridSerialCol = 0;
inline constexpr int GridKeyCol = 1;
inline constexpr int GridColCount = GridKeyCol + 1 + ClerkFieldCount;
constexpr int GridCol(int field)
{
    return GridKeyCol + 1 + field;
}
// The field a grid column shows; -1 for the serial and key columns and past the last field.
constexpr int FieldOfGridCol(int col)
{
    const int field = col - GridCol(0);
    return field >= 0 && field < ClerkFieldCount ? field : -1;
}

} // namespace ClerkColumns

// "Clerk_NO,Clerk_Ext,...,Clerk_Memo"
QString ClerkFieldList();

// The staff grid's default header line, "SN|ID|NO.|Ext|...|Memo" (text 0419 in a pack).
QString ClerkHeaderLine();

// A field's caption in a grid header line (a pack's text 0419), or its default caption when the
// line has none for it.
QString ClerkCaption(const QString &headerLine, int field);
