// Between the platform's local date-time and Qt's dates and times, for the date controls.
#pragma once

#include <QDate>
#include <QTime>

#include "platform/core/Clock.h"

// The widest range of dates a date control accepts.
inline const QDate kFirstControlDate(1601, 1, 1);
inline const QDate kLastControlDate(9999, 12, 31);

inline QDate DateOf(const SYSTEMTIME& st)
{
    return QDate(st.wYear, st.wMonth, st.wDay);
}

inline QTime TimeOf(const SYSTEMTIME& st)
{
    return QTime(st.wHour, st.wMinute, st.wSecond);
}

// Puts a date into a local date-time, keeping its time of day.
inline void SetDate(SYSTEMTIME& st, const QDate& date)
{
    st.wYear = static_cast<WORD>(date.year());
    st.wMonth = static_cast<WORD>(date.month());
    st.wDay = static_cast<WORD>(date.day());
    st.wDayOfWeek = static_cast<WORD>(date.dayOfWeek() % 7);  // Qt: Monday 1 .. Sunday 7
}

inline SYSTEMTIME Now()
{
    SYSTEMTIME st{};
    GetLocalTime(&st);
    return st;
}
