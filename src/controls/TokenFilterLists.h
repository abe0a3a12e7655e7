#pragma once
// Reading filter fields for the compares: the patterns of a field, with its special tokens
// "none" and match-all reported, and the tokens that two fields have in common.

#include <QString>
#include <QStringList>

class TokenField;

// The field's tokens as patterns; empty when there are none. Without regular expressions tokens
// are trimmed and lower-cased, and with splitLists a token holding ";", "," or tabs gives each of
// its parts; with regular expressions tokens are only trimmed (letter case is part of a pattern).
// outHasNone is set by "none", outHasAll by a match-all token ("*", "*.*", ".*"; with regular
// expressions ".*" and "(.*?)"), any letter case.
QStringList GenExtensionListFrom_NSTokenField(const TokenField *field, bool splitLists,
                                              bool regularExpressions, bool *outHasNone,
                                              bool *outHasAll);

// The tokens of a (trimmed, lower-cased) that b also holds in any letter case, each preceded by
// the separator ("\n" when empty); a null string when none is common or a field is missing.
QString Get_Same_String_In_Two_NSTokenField(const TokenField *a, const TokenField *b,
                                            const QString &separator);
