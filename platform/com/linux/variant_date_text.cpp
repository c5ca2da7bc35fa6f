#include "platform/com/linux/variant_date_text.h"

#include <cstdio>

#include "platform/com/linux/variant_time.h"
#include "platform/com/variant_date.h"

namespace tavrel {

namespace {

// A cursor over ASCII text (other characters never match).
class Scanner {
 public:
  explicit Scanner(WideStringView text) : text_(text) {}

  bool AtEnd() const { return pos_ == text_.size(); }
  size_t Position() const { return pos_; }
  void Rewind(size_t pos) { pos_ = pos; }

  // Reads 1..maxDigits digits; `count` receives how many were read.
  bool Number(int maxDigits, int* value, int* count = nullptr) {
    int digits = 0;
    int result = 0;
    while (digits < maxDigits && pos_ < text_.size() && text_[pos_] >= u'0' &&
           text_[pos_] <= u'9') {
      result = result * 10 + (text_[pos_++] - u'0');
      ++digits;
    }
    if (count != nullptr) *count = digits;
    *value = result;
    return digits > 0;
  }
  bool Char(WCHAR c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  // One or more blanks.
  bool Blanks() {
    const size_t start = pos_;
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t')) ++pos_;
    return pos_ > start;
  }
  // A word of letters, compared without regard to case.
  bool Word(WideStringView word) {
    if (text_.size() - pos_ < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      WCHAR c = text_[pos_ + i];
      if (c >= u'a' && c <= u'z') c = c - u'a' + u'A';
      if (c != word[i]) return false;
    }
    pos_ += word.size();
    return true;
  }

 private:
  WideStringView text_;
  size_t pos_ = 0;
};

bool ParseDatePart(Scanner& in, SYSTEMTIME* t) {
  const size_t start = in.Position();
  int first = 0;
  int second = 0;
  int third = 0;
  int firstDigits = 0;
  int thirdDigits = 0;
  // yyyy-M-d or yyyy/M/d
  if (in.Number(4, &first, &firstDigits) && firstDigits == 4) {
    const WCHAR separator = in.Char(u'-') ? u'-' : (in.Char(u'/') ? u'/' : 0);
    if (separator != 0 && in.Number(2, &second) && in.Char(separator) && in.Number(2, &third)) {
      t->wYear = static_cast<WORD>(first);
      t->wMonth = static_cast<WORD>(second);
      t->wDay = static_cast<WORD>(third);
      return true;
    }
  }
  in.Rewind(start);
  // M/d/yyyy or M/d/yy
  if (in.Number(2, &first) && in.Char(u'/') && in.Number(2, &second) && in.Char(u'/') &&
      in.Number(4, &third, &thirdDigits) && (thirdDigits == 2 || thirdDigits == 4)) {
    if (thirdDigits == 2) third += third < 30 ? 2000 : 1900;
    t->wYear = static_cast<WORD>(third);
    t->wMonth = static_cast<WORD>(first);
    t->wDay = static_cast<WORD>(second);
    return true;
  }
  in.Rewind(start);
  return false;
}

bool ParseTimePart(Scanner& in, SYSTEMTIME* t) {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  bool haveSeconds = false;
  bool haveFraction = false;
  if (!in.Number(2, &hour) || !in.Char(u':') || !in.Number(2, &minute)) return false;
  if (in.Char(u':')) {
    if (!in.Number(2, &second)) return false;
    haveSeconds = true;
    if (in.Char(u'.')) {
      int digits = 0;
      if (!in.Number(3, &millisecond, &digits)) return false;
      millisecond *= digits == 1 ? 100 : (digits == 2 ? 10 : 1);
      int ignored = 0;
      in.Number(32, &ignored);  // digits beyond the milliseconds
      haveFraction = true;
    }
  }
  // What may follow: AM or PM, or the milliseconds of the display form after a blank.
  const size_t afterTime = in.Position();
  const bool blank = in.Blanks();
  const bool am = in.Word(u"AM");
  const bool pm = !am && in.Word(u"PM");
  int digits = 0;
  int displayMilliseconds = 0;
  if (am || pm) {
    if (hour < 1 || hour > 12) return false;
    hour = hour % 12 + (pm ? 12 : 0);
  } else if (blank && haveSeconds && !haveFraction && in.Number(3, &displayMilliseconds, &digits) &&
             digits == 3) {
    millisecond = displayMilliseconds;
  } else {
    in.Rewind(afterTime);
  }
  t->wHour = static_cast<WORD>(hour);
  t->wMinute = static_cast<WORD>(minute);
  t->wSecond = static_cast<WORD>(second);
  t->wMilliseconds = static_cast<WORD>(millisecond);
  return true;
}

}  // namespace

bool ParseDateText(WideStringView text, DATE* date) {
  while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
  Scanner in(text);
  SYSTEMTIME t{1899, 12, 0, 30, 0, 0, 0, 0};
  const bool haveDate = ParseDatePart(in, &t);
  if (haveDate && !in.AtEnd()) {
    if (!in.Char(u'T') && !in.Blanks()) return false;
  }
  const bool haveTime = !in.AtEnd() && ParseTimePart(in, &t);
  if ((!haveDate && !haveTime) || !in.AtEnd()) return false;
  return VariantDateFromCalendar(t, date);
}

bool FormatDateText(DATE date, WideString* text) {
  SYSTEMTIME t;
  if (!VariantTimeToSystemTime(date, &t)) return false;
  const bool dayZero = t.wYear == 1899 && t.wMonth == 12 && t.wDay == 30;
  const bool midnight = t.wHour == 0 && t.wMinute == 0 && t.wSecond == 0;
  char buffer[32];
  std::string narrow;
  if (!dayZero) {
    std::snprintf(buffer, sizeof buffer, "%02u/%02u/%04u", t.wMonth, t.wDay, t.wYear);
    narrow = buffer;
  }
  if (dayZero || !midnight) {
    std::snprintf(buffer, sizeof buffer, "%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    if (!narrow.empty()) narrow.push_back(' ');
    narrow += buffer;
  }
  text->assign(narrow.begin(), narrow.end());
  return true;
}

}  // namespace tavrel
