// Numbers as Chinese text: lower-case numerals (CNUMBER), capital money text (CurrToBigNum) and
// capital digits (SmallToBig, SinglNumToBig). Results are CP936 text.
//
// Each conversion raises EConvertError for a text that is not a number (SmallToBig for any
// character that is not a digit); none of them reads outside its input.
#pragma once

#include "platform/AnsiString.h"

#include <cstdint>

// «105» gives 一百零五, «10.5» 十点五, «-12» 负一十二; two decimals at most. Numbers of a milliard
// and more continue with 亿 groups (十亿, 一百亿 ...).
AnsiString NumberToChineseText(std::string_view numberText);
// The amount in ten-thousandths (currency): 1.05 gives 壹圆零角伍分, 1005 gives 壹仟零伍圆整.
AnsiString AmountToChineseCapitals(std::int64_t tenThousandths);
// Every digit replaced by its capital digit: «1024» gives 壹零贰肆.
AnsiString DigitsToChineseCapitals(std::string_view digits);
// The capital digit n places left of the decimal point (n = 1 is the units digit, -1 the first
// decimal); empty when n is 0 or the place holds no digit.
AnsiString DigitToChineseCapital(double number, int n);
