// The bash completion of quenby-strip, run in bash as the shell runs it: the
// words of the line so far in, the candidates out.
#include "support/rows.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using quenby::test::operator<<;

struct CompletionRow {
    const char* name;
    QStringList words; // after the program's name; the last is being completed
    QStringList candidates;
};

class StripCompletion : public ::testing::TestWithParam<CompletionRow> {};

TEST_P(StripCompletion, OffersWhatFitsTheWord) {
    const CompletionRow& row = GetParam();
    QTemporaryDir dir; // the files offered: two of them
    ASSERT_TRUE(dir.isValid());
    for (const char* name : {"notes.txt", "numbers.txt"}) {
        QFile f(QDir(dir.path()).filePath(QLatin1String(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // COMP_WORDS as bash splits the line: "=" is a word of its own.
    QString script = QStringLiteral("source \"$1\"; COMP_WORDS=(\"$2\"");
    for (qsizetype k = 0; k < row.words.size(); ++k)
        script += QStringLiteral(" \"${%1}\"").arg(k + 3);
    script += QStringLiteral("); COMP_CWORD=%1; _quenby_strip; printf '%s\\n' \"${COMPREPLY[@]}\"")
                  .arg(row.words.size());
    QProcess bash;
    bash.setWorkingDirectory(dir.path());
    bash.start(QStringLiteral("bash"),
               QStringList{QStringLiteral("-c"), script, QStringLiteral("bash"),
                           QStringLiteral(QUENBY_COMPLETION), QStringLiteral(QUENBY_STRIP)} +
                   row.words);
    ASSERT_TRUE(bash.waitForFinished(30000));
    EXPECT_EQ(bash.readAllStandardError(), "");
    QStringList got = QString::fromUtf8(bash.readAllStandardOutput()).split(QLatin1Char('\n'));
    got.removeAll(QString());
    got.sort();
    QStringList wanted = row.candidates;
    wanted.sort();
    EXPECT_EQ(got.join(QLatin1Char(' ')).toStdString(),
              wanted.join(QLatin1Char(' ')).toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StripCompletion,
    ::testing::Values(
        // Options, as the program's help lists them.
        CompletionRow{"OneOption", {"--no-vo"}, {"--no-vowels"}},
        CompletionRow{"OptionsWithValuesEndInEquals", {"--ca"}, {"--case=", "--case-sensitive"}},
        CompletionRow{"OptionalValue", {"--sett"}, {"--settings", "--settings="}},
        // The words an option takes, split at "=" or not.
        CompletionRow{"CaseAfterEquals", {"--case", "=", ""}, {"upper", "lower", "both"}},
        CompletionRow{"CaseStarted", {"--case", "=", "l"}, {"lower"}},
        CompletionRow{"CaseAsOneWord", {"--case=b"}, {"--case=both"}},
        CompletionRow{"CaseAsNextWord", {"--case", "u"}, {"upper"}},
        CompletionRow{"Encoding", {"--input-encoding", "=", "w"}, {"windows-1252"}},
        CompletionRow{"SettingsFile", {"--settings", "=", "no"}, {"notes.txt"}},
        // Files, also after "--" where "-" starts no option.
        CompletionRow{"Files", {"--count", "nu"}, {"numbers.txt"}},
        CompletionRow{"AfterDoubleDash", {"--", "--n"}, {}}),
    quenby::test::RowName());

} // namespace
