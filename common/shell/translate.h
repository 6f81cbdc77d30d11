// SPDX-License-Identifier: MIT
// Messages in the user's language.  Every message a program prints (errors,
// notes, --help, the progress line, the pictures' words) is written in
// English in the source and marked with _() for xgettext; tr() looks it up
// in the "zelkor" catalogue of the language that LC_MESSAGES / LANGUAGE ask
// for and returns the English text when there is none.  A message with
// values is one pattern with %1 … %9 filled by fill(), so that a translation
// may put the values where its grammar wants them.
//
// Only LC_MESSAGES and LC_CTYPE follow the environment: reports never
// depend on the locale (LC_NUMERIC stays "C").
#ifndef ZELKOR_TRANSLATE_H
#define ZELKOR_TRANSLATE_H

#include <initializer_list>
#include <string>

// The catalogue's text for `english`, or `english` itself.
const char* tr(const char* english);

// The catalogue's singular or plural form for the count n.
const char* trn(const char* singular, const char* plural, unsigned long n);

#define _(english) tr(english)
// Marks a text for extraction where it is looked up later (tables).
#define N_(english) english

// `pattern` with each %k (k = 1 … 9) replaced by the k-th of `values`; "%%"
// is one '%'.  A %k without a value is kept as it stands.
std::string fill(const std::string& pattern, std::initializer_list<std::string> values);

// Sets LC_MESSAGES and LC_CTYPE from the environment and binds the catalogue
// found next to the executable (the build tree's or the installed
// share/locale).  Call once, first thing in main.
void startTranslation();

#endif
