// Tag and attribute scanning, and the small string utilities of the XML
// converter.
//
// The converter reads an instance tag after tag and needs only the text
// inside each tag: lireBalise returns it, chercheAtt splits it into the
// element name and one entry per attribute (quotes kept), indexAttribut finds
// an attribute by the start of its name and extraireChaine takes the quoted
// value out of an entry.  The number helpers mirror the converter's own
// decimal arithmetic, which rejects no character.
#pragma once

#include <string>
#include <vector>

#include "Convertisseur/io.h"

// An attribute list: entry 0 is the element name, each later entry one
// attribute as written, such as  name="D0".
using ListeAttributs = std::vector<std::string>;

// The text of the next tag of `f_in`: the bytes between '<' and the '>' that
// stands outside double quotes, without a last '/'.  When the input ends
// first, returns what was read so far and leaves f_in->fin set.
std::string lireBalise(fic* f_in);

// Splits `chaine` at spaces outside double quotes and at every line feed;
// empty entries are dropped.
ListeAttributs chercheAtt(const std::string& chaine);

// Index of the first entry that begins with `attribut` (leading spaces of
// the entries looked at are removed), or -1.
int indexAttribut(ListeAttributs& tabAtt, const std::string& attribut);

// The text after the first double quote of `chaine`, up to the next double
// quote or the end.  Without any double quote: prints a message (no line
// end) and returns the empty string.
std::string extraireChaine(const std::string& chaine);

// Decimal text to int: every character counts as a digit of value (code - 48),
// in 32-bit two's-complement arithmetic.
int charToInt(const std::string& chaine);

// Decimal text of `entier`; at most 9, the single character of code 48 + entier.
std::string intToChar(int entier);

// Appends `src` to `dest` and returns `dest`.
std::string& concat(std::string& dest, const std::string& src);

// `chaine` from its first decimal digit on; the empty string without a digit.
std::string extractNumber(const std::string& chaine);

// Expands a list of values and ranges a..b separated by single spaces into
// every value, each followed by one space; at most 65536 values are written.
std::string intervalToList(const std::string& valeurs);
