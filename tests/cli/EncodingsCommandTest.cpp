#include "CliRunner.h"

#include "core/TextEncodings.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace {

// Runs the command with settings and data folders of its own, and an active
// list stored there when one is given.
CliRun runEncodings(const QString &storedList = {})
{
    CliHome home;
    if (!storedList.isNull()) {
        QSettings settings(home.path(u"config/Quirefold/Quirefold.conf"_s), QSettings::IniFormat);
        settings.setValue(u"Active Text Encoding List"_s, storedList);
    }
    return home.run({u"encodings"_s});
}

QString lineOf(const QString &out, quint32 code)
{
    const QString prefix = QString::number(code) + u'\t';
    for (const QString &line : out.split(u'\n')) {
        if (line.startsWith(prefix))
            return line;
    }
    return {};
}

} // namespace

TEST(EncodingsCommand, listsEveryEncodingWithTheDefaultActiveOnesMarked)
{
    const CliRun run = runEncodings();
    ASSERT_TRUE(run.exitCode == 0 && run.err.isEmpty()) << qPrintable(run.err);
    // One line per encoding in the table's order, "CODE<tab>NAME", " *" after an active one.
    const QList<quint32> active = TextEncodings::defaultActiveEncodings();
    QString expected;
    for (const QString &name : TextEncodings::encodingNames()) {
        const quint32 code = TextEncodings::encodingOfName(name);
        expected +=
            QString::number(code) + u'\t' + name + (active.contains(code) ? u" *\n"_s : u"\n"_s);
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(lineOf(run.out, 4), u"4\tUnicode (UTF-8) *"_s);
}

// A stored list marks its encodings; a damaged one is reported and the defaults shown.
TEST(EncodingsCommand, marksTheStoredActiveListOrTheDefaultsWhenItIsDamaged)
{
    const CliRun run = runEncodings(u"[3, 2147486209]"_s);
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(lineOf(run.out, 3), u"3\tJapanese (EUC) *"_s);
    EXPECT_EQ(lineOf(run.out, 0x80000A01u), u"2147486209\tJapanese (Shift JIS) *"_s);
    EXPECT_EQ(run.out.count(u" *\n"_s), 2);
    const CliRun damaged = runEncodings(u"[3, \"x\""_s);
    ASSERT_EQ(damaged.exitCode, 0);
    EXPECT_TRUE(damaged.err.contains(u"Active Text Encoding List"_s)) << qPrintable(damaged.err);
    EXPECT_EQ(lineOf(damaged.out, 4), u"4\tUnicode (UTF-8) *"_s);
}
