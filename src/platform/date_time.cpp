#include "platform/date_time.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

struct CivilTime {
    int year = 1899;
    int month = 12;  // 1 to 12
    int day = 30;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, CivilTime& civil) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    civil.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    civil.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    civil.year = static_cast<int>(yoe + era * 400 + (civil.month <= 2));
}

const long long kOleEpochDays = DaysFromCivil(1899, 12, 30);

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

OleDate OleDateFromCivil(const CivilTime& civil) {
    const double days =
        static_cast<double>(DaysFromCivil(civil.year, civil.month, civil.day) - kOleEpochDays);
    const double fraction = (civil.hour * 3600 + civil.minute * 60 + civil.second) / 86400.0;
    // Before the epoch the fraction still counts forward from midnight: -1.25 is 29 Dec 1899, 6:00.
    return days >= 0 ? days + fraction : days - fraction;
}

bool CivilFromOleDate(OleDate date, CivilTime& civil) {
    if (!std::isfinite(date) || std::fabs(date) > 3e6) {
        return false;
    }
    long long days = static_cast<long long>(std::trunc(date));
    long long seconds = std::llround(std::fabs(date - static_cast<double>(days)) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        days += date >= 0 ? 1 : -1;
    }
    CivilFromDays(days + kOleEpochDays, civil);
    civil.hour = static_cast<int>(seconds / 3600);
    civil.minute = static_cast<int>(seconds / 60 % 60);
    civil.second = static_cast<int>(seconds % 60);
    return true;
}

// Reads an unsigned decimal field of 1 to maxDigits digits; advances text.
bool ReadNumber(std::string_view& text, int maxDigits, int& value, int* digits = nullptr) {
    std::size_t length = 0;
    while (length < text.size() && length < static_cast<std::size_t>(maxDigits) &&
           text[length] >= '0' && text[length] <= '9') {
        ++length;
    }
    if (length == 0) {
        return false;
    }
    std::from_chars(text.data(), text.data() + length, value);
    if (digits != nullptr) {
        *digits = static_cast<int>(length);
    }
    text.remove_prefix(length);
    return true;
}

bool Expect(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

}  // namespace

OleDate OleDateFromTime(std::time_t t) {
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) {
        return 0;
    }
    CivilTime civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                    local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
    return OleDateFromCivil(civil);
}

OleDate CurrentOleDate() {
    return OleDateFromTime(std::time(nullptr));
}

std::time_t TimeFromOleDate(OleDate date) {
    CivilTime civil;
    if (!CivilFromOleDate(date, civil)) {
        return -1;
    }
    std::tm local{};
    local.tm_year = civil.year - 1900;
    local.tm_mon = civil.month - 1;
    local.tm_mday = civil.day;
    local.tm_hour = civil.hour;
    local.tm_min = civil.minute;
    local.tm_sec = civil.second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

std::string FormatOleDate(OleDate date) {
    CivilTime civil;
    if (!CivilFromOleDate(date, civil)) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d %02d:%02d:%02d", civil.month, civil.day,
                  ((civil.year % 100) + 100) % 100, civil.hour, civil.minute, civil.second);
    return text;
}

bool ParseOleDate(std::string_view text, OleDate& date) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    CivilTime civil;
    int yearDigits = 0;
    if (!ReadNumber(text, 2, civil.month) || !Expect(text, '/') ||
        !ReadNumber(text, 2, civil.day) || !Expect(text, '/') ||
        !ReadNumber(text, 4, civil.year, &yearDigits) || yearDigits == 3) {
        return false;
    }
    if (yearDigits <= 2) {
        civil.year += civil.year < 69 ? 2000 : 1900;  // the POSIX pivot of "%y"
    }
    std::string_view rest = text;
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) {
        rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.size() != text.size()) {
        if (!ReadNumber(rest, 2, civil.hour) || !Expect(rest, ':') ||
            !ReadNumber(rest, 2, civil.minute)) {
            return false;
        }
        if (!rest.empty() && rest.front() == ':' &&
            (rest.remove_prefix(1), !ReadNumber(rest, 2, civil.second))) {
            return false;
        }
    }
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r')) {
        rest.remove_prefix(1);
    }
    if (!rest.empty()) {
        return false;
    }
    if (civil.month < 1 || civil.month > 12 || civil.day < 1 ||
        civil.day > DaysInMonth(civil.year, civil.month) || civil.hour > 23 || civil.minute > 59 ||
        civil.second > 59) {
        return false;
    }
    date = OleDateFromCivil(civil);
    return true;
}

std::string FormatShortDate(std::time_t t) {
    std::tm local{};
    if (::localtime_r(&t, &local) == nullptr) {
        return {};
    }
    char text[32];
    std::strftime(text, sizeof text, "%m/%d/%y", &local);
    return text;
}
