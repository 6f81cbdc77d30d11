// SPDX-License-Identifier: MIT
// The programs speak Spanish when the locale asks for it and English
// otherwise, and the locale never changes a report.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "program_run.h"

namespace {

const char* const spanish = "LANG=es_ES.UTF-8";

struct Program {
    const char* binary;
    const char* name;
    const char* dataFile;
    const char* data;  // valid data with decimals, which an es_ES locale would write with commas
};

const Program programs[] = {
    {PIVOT_GAUSS_BIN, "pivot_gauss", "gausslu.dat", "2\n4.5 1.25\n2 3.75\n1.5 -2.5\n"},
    {JACOBI_ROT_BIN, "jacobi_rot", "jacobi.dat", "2\n2.5 0.5\n0.5 1.5\n"},
    {LU_SPECTRUM_BIN, "lu_spectrum", "datos4.dat", "2\n4.5 1.25\n2 3.75\n"},
    {POLYROOTS_BIN, "polyroots", "datos6.dat", "2\n3\n-1.5 0.5 1\n"},
};

// The test machine must have the locale; CI generates it, elsewhere the
// tests are skipped with a word.
bool haveSpanishLocale() {
    const bool have = std::setlocale(LC_ALL, "es_ES.UTF-8") != nullptr;
    std::setlocale(LC_ALL, "C");
    return have;
}

#define REQUIRE_SPANISH_LOCALE()                                                       \
    do {                                                                               \
        if (!haveSpanishLocale()) {                                                    \
            if (std::getenv("CI")) FAIL() << "the es_ES.UTF-8 locale is missing";      \
            GTEST_SKIP() << "no es_ES.UTF-8 locale (localedef -i es_ES -f UTF-8 es_ES.UTF-8)"; \
        }                                                                              \
    } while (0)

}  // namespace

TEST(Translation, MessagesInSpanishOrEnglishReportsAlike) {
    REQUIRE_SPANISH_LOCALE();
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        ProgramRun es = runProgram(p.binary, {}, {}, 60, {spanish});
        EXPECT_EQ(es.status, 1);
        EXPECT_EQ(es.err.rfind(std::string(p.name) + ": no se puede abrir " + p.dataFile + " en la carpeta actual", 0),
                  0u)
            << es.err;
        ProgramRun help = runProgram(p.binary, {}, {"--help"}, 60, {spanish});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(std::string("Uso: ") + p.name + " [OPCIÓN]... [ARCHIVO_DE_DATOS]\n", 0), 0u)
            << help.out;

        // LANGUAGE picks the language as GNU programs read it; a language
        // without a catalogue, and the C locale, give English.
        ProgramRun language = runProgram(p.binary, {}, {"--help"}, 60, {"LANG=C.UTF-8", "LANGUAGE=es"});
        EXPECT_EQ(language.out, help.out);
        ProgramRun french = runProgram(p.binary, {}, {"--help"}, 60, {"LANG=C.UTF-8", "LANGUAGE=fr"});
        EXPECT_EQ(french.out.rfind(std::string("Usage: ") + p.name, 0), 0u) << french.out;
        EXPECT_EQ(runProgram(p.binary, {}, {"--help"}).out, french.out);

        // The locale never changes a report.
        ProgramRun c = runProgram(p.binary, {{p.dataFile, p.data}});
        ASSERT_TRUE(c.status == 0 && c.out.find('.') != std::string::npos) << c.err;
        for (const char* locale : {"LANG=es_ES.UTF-8", "LC_ALL=es_ES.UTF-8", "LC_NUMERIC=es_ES.UTF-8"}) {
            ProgramRun run = runProgram(p.binary, {{p.dataFile, p.data}}, {}, 60, {locale});
            EXPECT_TRUE(run.status == 0 && run.out == c.out && run.files == c.files) << locale << run.out;
        }
    }
}
