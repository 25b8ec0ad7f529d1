#pragma once
// A date field in the system's short date format, edited in place or chosen from a
// drop-down calendar. Only the calendar date is set and read.

#include "gui/control.h"

namespace voice::gui {

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const Date&, const Date&) = default;
};

Date Today();

class DatePicker : public Control {
public:
    void Create(HWND parent, int id, int x, int y, int width, int height);
    Date Value() const;
    void SetValue(const Date& date);
};

} // namespace voice::gui
