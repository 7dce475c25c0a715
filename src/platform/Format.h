// Picture formatting of numbers, date-times and edit masks: the services the report's value
// formatter, its FORMATFLOAT / FORMATDATETIME / FORMATTEXT functions and the data set display
// formats are built on.
//
// All texts are CP936. Pictures may hold double-byte characters anywhere (quoted or not); a pair is
// always copied whole, even when its trailing byte looks like a format letter.
//
// Rounding: a number is first taken at 15 significant digits (the precision of the general format,
// so the digits match what FloatToStr shows), and halves are then decided on that decimal text,
// to the even neighbour: 0.125 -> "0.12", 0.135 -> "0.14", 2.675 -> "2.68" (its 15-digit text is
// 2.67500000000000 even though the binary value lies just below).
//
// Negative numbers that round to zero print without a minus sign ("-0.00" is never produced); they
// take the zero section of a picture when it has one.
#pragma once

#include "AnsiString.h"

#include <memory>
#include <string_view>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Numbers

// Picture codes (up to three sections separated by ";": positive, negative, zero):
//   0       digit, always shown
//   #       digit, shown when significant (or when a "0" further out forces the position)
//   .       decimal point, printed as the locale's decimal separator when a decimal digit follows
//   ,       anywhere before the point: group the integer digits by three with the locale's
//           thousands separator (a "," after the point is ignored)
//   E+ E- e+ e-  scientific notation; the "0"s after it give the minimum exponent digits;
//           "+" always prints the exponent's sign, "-" only a minus
//   '...' "..."  literal text; any other character is a literal too
// An empty picture or an empty positive section gives the general format. An empty (or missing)
// negative section means the positive one with a minus in front of the whole text (literals
// included); an empty (or missing) zero section means the positive one. Integer digits beyond
// the placeholders are all printed, in front of the first placeholder. A value that is not finite
// prints "NAN", "INF" or "-INF".
class TNumberPicture {
public:
    explicit TNumberPicture(std::string_view picture);
    ~TNumberPicture();
    TNumberPicture(TNumberPicture&&) noexcept;
    TNumberPicture& operator=(TNumberPicture&&) noexcept;

    // Appends the formatted value to out (no allocation once out has room).
    void AppendTo(AnsiString& out, double value) const;
    AnsiString Format(double value) const;

    struct TToken;
    struct TSection;

private:
    std::vector<TSection> FSections; // 1 to 3
};

// The compiled picture for a text, from a small per-thread cache; the reference stays valid until
// the next call on the same thread.
const TNumberPicture& NumberPicture(std::string_view picture);

AnsiString FormatFloat(std::string_view picture, double value);
void AppendFormatFloat(AnsiString& out, std::string_view picture, double value);

enum class TFloatFormat {
    General,  // shortest text within `precision` significant digits; scientific ("1E20", "1.5E-10")
              // when the exponent exceeds the precision or the value is below 0.00001
    Exponent, // "-d.dddE+ddd": `precision` significant digits, at least `digits` exponent digits
    Fixed,    // "-ddd.dd": exactly `digits` decimals (0..18); general when the integer part has
              // more than `precision` digits
    Number,   // Fixed with thousands separators
    Currency, // Number with the currency symbol: "￥1,234.50", "-￥1,234.50"
};

// Precision is clamped to 1..15, digits to 0..18 (0..4 for exponent digits).
AnsiString FloatToStrF(double value, TFloatFormat format, int precision, int digits);

// The currency symbol of FloatToStrF's Currency kind ("￥" in CP936).
const AnsiString& CurrencySymbol();

// ---------------------------------------------------------------------------------------------
// Date-times

// Picture codes, letters in any case:
//   c        short date, then a blank and the long time unless the time is exactly midnight
//   d dd     day of month (dd with a leading zero)       ddd dddd  short / long day name
//   ddddd    short date                                  dddddd    long date
//   m mm     month; minutes when they follow an h or hh (only literals between)
//   mmm mmmm short / long month name
//   yy yyyy  two- / four-digit year (one or two "y" give two digits, three or more four)
//   h hh     hour; 12-hour clock when an AM/PM code appears anywhere later in the picture
//   n nn     minute        s ss  second        z zzz  millisecond
//   t tt     short / long time
//   am/pm a/p  the code's own letters for the half of the day ("AM/PM" -> "AM", "a/p" -> "a")
//   ampm     the locale's AM/PM texts
//   /        the locale's date separator           :  the locale's time separator
//   '...' "..."  literal text; any other character is a literal
// An empty picture means "c". Raises EConvertError for a value outside the years 1..9999 or not
// finite.
AnsiString FormatDateTime(std::string_view picture, double dateTime);

// ---------------------------------------------------------------------------------------------
// Edit masks

// Lays text over a classic edit mask "mask;save;blank":
//   mask  0 digit  9 optional digit  # optional digit or sign  L letter  l optional letter
//         A letter or digit  a optional letter or digit  C any character  c optional character
//         > upper case from here  < lower case from here  <> no case change
//         \ the next character is a literal   _ a blank   : / the locale's time / date separator
//         !  missing characters are blanks at the front instead of the end
//         anything else is a literal
//   save  "0": the text holds only the characters for the mask positions, literals are inserted;
//         anything else (the default): the text holds the literals as well, at their positions
//   blank the character shown for a position the text does not fill (default "_")
// Only the first three fields count; a further ";" and what follows is ignored. Characters are
// placed whatever their class (the text is shown, not validated); characters beyond the mask's
// positions are left out. A double-byte character fills one position.
AnsiString FormatMaskText(std::string_view mask, std::string_view text);
