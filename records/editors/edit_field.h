// The controls of a record editor as data: one descriptor per field says where the field
// sits, which control edits it, its limits, and which column of the kind's table it fills.
// The value forms and the checks of typed values are here too, free of any window.
#pragma once

#include <ctime>
#include <optional>
#include <span>
#include <string>

// The control that edits a field, and with it the field's value form in the record texts.
enum class EditControl {
    Text,      // edit; the text as typed
    Integer,   // edit of a whole number; "%ld"
    Amount,    // edit of an amount; "%.2f", shown in the general form ("1234.5")
    Date,      // date picker; "%ld" of the picked day at 00:00:00 local time
    DateTime,  // date picker (id) and time picker (secondId); "%ld" of both in local time
    Duration,  // edits for days (id), hours (secondId), minutes (thirdId); "%ld" of minutes
    Lookup,    // editable combo filled from a lookup kind; the text shown
    Contact,   // the contact combo; its text, and the contact's key into ObjectDateTime
    Choice,    // drop-down list of fixed entries; "%d" of the chosen index
    YesNo,     // drop-down list "否", "是"; "%d" of the index, a stored 1 or more shows "是"
    Rate,      // drop-down list "100%" ... "0%" in steps of 5; "%d" of the index
    Related,   // editable combo of the client's opportunities, read on a worker; the text
};

// How a date-time field starts in a new record.
enum class DateStart {
    Now,    // the current local date and time of day
    Today,  // today's local date at the local time of day of calendar time 0
};

struct EditField {
    const char* field = "";  // column of the kind's table; "" for none
    const char* label = "";  // label text, as shown ("单    价：")
    EditControl control = EditControl::Text;
    int id = 0;                     // control id
    int row = 0;                    // layout row from the top
    int column = 0;                 // 0 left half, 1 right half, 2 the whole row
    int maxLength = 0;              // Text, Lookup, Contact: the longest accepted text
    double low = 0, high = 0;       // Integer, Amount: the accepted range
    double initial = 0;             // Integer, Amount, Choice: the value of a new record
    const char* unit = nullptr;     // label after the control ("元", "%"; Duration: minutes)
    int paramKind = -1;             // Lookup: the kind its list holds; -1 a list nothing fills
    int buttonId = 0;               // the "..." button beside the control; 0 none
    const char* tip = nullptr;      // tool tip of that button
    int secondId = 0, thirdId = 0;  // DateTime and Duration: the further controls
    bool digitsOnly = false;        // Integer: only digits can be typed
    bool dropLetters = false;       // letters typed into the field are dropped
    std::span<const char* const> items = {};  // Choice: the entries
    const char* secondLabel = nullptr;        // DateTime: the time picker's own label, right half
    const char* twinField = nullptr;          // a further column that stores the same text
    DateStart start = DateStart::Now;         // DateTime: the value of a new record
    bool keepTime = false;  // Date: a loaded time of day is written back, not 00:00:00
    bool hidden = false;    // not shown; a loaded value is written back unchanged
    bool sorted = false;    // Related: the entries in text order, not in the query's
};

// The window title of each mode and the window's object name.
struct EditorTitles {
    const char* add;     // mode 0
    const char* modify;  // mode 1
    const char* view;    // any other mode
};

const char* TitleForMode(const EditorTitles& titles, int mode);

// The label without its colon and inner blanks, as messages name the field ("单价").
std::string FieldName(const EditField& field);

// Reading typed numbers: the whole text, blanks around it allowed. false when it is not a
// number of that kind (or does not fit a 32-bit long).
bool ParseWholeNumber(const std::string& text, long& out);
bool ParseAmount(const std::string& text, double& out);

// The one message of a refused value, empty when the text is acceptable for the field.
std::string CheckTyped(const EditField& field, const std::string& text);
// The same for a duration part: days, hours or minutes with their own ranges.
std::string CheckDurationPart(const EditField& field, int part, const std::string& text);

// Value forms of the record texts.
std::string StoreNumber(long value);    // "%ld"
std::string StoreAmount(double value);  // "%.2f"
std::string ShowAmount(double value);   // the general form with up to 15 digits: 1234.5
std::string ShowNumber(long value);     // "%ld"
long TextToLong(const std::string& text);
double TextToDouble(const std::string& text);

// Durations in whole minutes and their parts.
long DurationMinutes(long days, long hours, long minutes);
struct DurationParts {
    long days, hours, minutes;
};
DurationParts SplitDuration(long minutes);

// The entries of the success-rate list, "100%" to "0%".
std::span<const char* const> SuccessRateEntries();
// The list index of a success rate: a text with "%" is a percentage (85% is index 3), any
// other text the index itself. Clamped to the list.
int SuccessRateIndex(const std::string& text);
// The list index of a stored yes/no number: 1 ("是") for 1 or more, else 0 ("否").
int YesNoIndex(const std::string& text);

// The query of a client's opportunity subjects; every client's for a key below 1.
std::string RelatedChanceQuery(long contactKey);

// 00:00:00 local time of the local day that t falls on.
long LocalDayStart(std::time_t t);
// Today's local date at 00:00:00.
long TodayLocalStart();
// Today's local date at the local time of day of calendar time `clock`.
long TodayAtTimeOf(std::time_t clock);

// The first and last calendar time a date picker accepts: 1970-01-01 00:00:00 and
// 2037-01-01 00:00:00 (UTC).
inline constexpr long kFirstPickerTime = 0;
inline constexpr long kLastPickerTime = 2114380800;
