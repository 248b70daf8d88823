#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "platform/Date.h"

namespace brivora {

namespace {

constexpr double secondsPerDay = 86400;

// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
  std::int64_t year;
  unsigned month;
  unsigned day;
};

CivilDate civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
  const unsigned yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day};
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
  static constexpr unsigned lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : lengths[month - 1];
}

// Reads exactly `width` ASCII digits.
class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  bool digits(std::size_t width, unsigned& value) {
    if (text_.size() - at_ < width) return false;
    value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      char c = text_[at_ + i];
      if (c < '0' || c > '9') return false;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    at_ += width;
    return true;
  }

  bool literal(char expected) { return oneOf(expected, expected); }

  bool oneOf(char first, char second) {
    if (at_ == text_.size() || (text_[at_] != first && text_[at_] != second)) return false;
    ++at_;
    return true;
  }

  // One or more digits as a fraction of a second.
  bool fraction(double& value) {
    std::size_t start = at_;
    double scale = 0.1;
    value = 0;
    while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
      value += scale * (text_[at_] - '0');
      scale /= 10;
      ++at_;
    }
    return at_ > start;
  }

  std::optional<char> peek() const {
    if (at_ == text_.size()) return std::nullopt;
    return text_[at_];
  }
  bool atEnd() const { return at_ == text_.size(); }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

}  // namespace

std::optional<Date> parseInternetDateTime(std::string_view text, FractionalSeconds fraction) {
  Cursor cursor(text);
  unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!cursor.digits(4, year) || !cursor.literal('-') || !cursor.digits(2, month) ||
      !cursor.literal('-') || !cursor.digits(2, day) || !cursor.oneOf('T', 't') ||
      !cursor.digits(2, hour) || !cursor.literal(':') || !cursor.digits(2, minute) ||
      !cursor.literal(':') || !cursor.digits(2, second)) {
    return std::nullopt;
  }
  double fractionOfSecond = 0;
  if (fraction == FractionalSeconds::required &&
      (!cursor.literal('.') || !cursor.fraction(fractionOfSecond))) {
    return std::nullopt;
  }
  int offsetSeconds = 0;
  if (!cursor.oneOf('Z', 'z')) {
    std::optional<char> sign = cursor.peek();
    unsigned offsetHours = 0, offsetMinutes = 0;
    if (!cursor.oneOf('+', '-') || !cursor.digits(2, offsetHours) || !cursor.literal(':') ||
        !cursor.digits(2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59) {
      return std::nullopt;
    }
    offsetSeconds = static_cast<int>(offsetHours * 3600 + offsetMinutes * 60);
    if (sign == '-') offsetSeconds = -offsetSeconds;
  }
  if (!cursor.atEnd()) return std::nullopt;
  if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return std::nullopt;
  }
  const double days = static_cast<double>(daysFromCivil(year, month, day));
  const double secondOfDay = hour * 3600.0 + minute * 60.0 + second + fractionOfSecond;
  return Date{days * secondsPerDay + secondOfDay - offsetSeconds};
}

std::string formatInternetDateTime(Date date) {
  const auto milliseconds = static_cast<std::int64_t>(std::llround(date.secondsSince1970 * 1000));
  std::int64_t days = milliseconds / 86'400'000;
  std::int64_t millisecondOfDay = milliseconds % 86'400'000;
  if (millisecondOfDay < 0) {
    millisecondOfDay += 86'400'000;
    --days;
  }
  const CivilDate civil = civilFromDays(days);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ",
                static_cast<long long>(civil.year), civil.month, civil.day,
                static_cast<long long>(millisecondOfDay / 3'600'000),
                static_cast<long long>(millisecondOfDay / 60'000 % 60),
                static_cast<long long>(millisecondOfDay / 1000 % 60),
                static_cast<long long>(millisecondOfDay % 1000));
  return buffer;
}

}  // namespace brivora
