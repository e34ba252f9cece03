#pragma once
// A GRAPH call's text taken apart for the table editor and written back after it.

#include "core/model/DataSeries.h"

#include <functional>
#include <string>
#include <string_view>

inline constexpr const char* GraphSyntaxErrorText = "Invalid GRAPH function syntax";
inline constexpr const char* GraphParametersWarningText = "Invalid GRAPH parameters";

struct TGraphCall {
    // The name, the bracket, the index expression and the first comma, kept as written.
    std::string Head;
    // The table with its points renumbered 0, 1, 2, ...; Origin is the X start and Interval
    // the X increment.
    TDataSeries Table;
    // The table parameters had errors; the table holds what could be read.
    bool InvalidParameters = false;
};

// Takes a call apart. False when its brackets do not balance (GraphSyntaxErrorText). An empty
// text gives a new, empty table.
bool ReadGraphCall(std::string_view callText, TGraphCall& call);

// The call for an edited table: head, X start, X increment and the Y values, with at most
// three decimals.
std::string WriteGraphCall(const TGraphCall& call);

// What the set-up dialog supplies to edit a call.
struct TGraphCallEditor {
    std::function<void(const char* message)> ShowError;   // modal error box
    std::function<void(const char* message)> ShowWarning; // modal warning box
    std::function<bool(TDataSeries& table)> EditTable;    // the modal editor; false on Cancel
};

// The new call text, or empty when the call is invalid or the editor was cancelled.
std::string EditGraphCall(std::string_view callText, const TGraphCallEditor& editor);
