// Plain rules of the player movie: how its numbers read and print as text and where the
// picture goes in the panel. Portable: no Windows header (tools/fuzz.sh builds it natively).
#pragma once
#include <string>

// Loose number reading of a variable's text: decimal (optionally signed, with fraction and
// exponent) or 0x hex, surrounding blanks allowed; anything else, including "", is NaN.
double TextToNumber(const std::wstring& text);
// parseInt: leading blanks, optional sign, the digits that follow; NaN when there are none.
double ParseIntText(const std::wstring& text);
// A number as the movie prints it: integers without a point, others with up to 15 digits.
std::wstring NumberToText(double value);
// Loose equality of a text with a number ("0" equals 0).
bool TextEquals(const std::wstring& text, double number);

// The picture's place in a stage of the given size for a display ratio (height / width):
// as large as fits, centred, black bars on two sides.
struct FitRect {
  double x, y, width, height;
};
FitRect FitPicture(double stageWidth, double stageHeight, double ratio);
