// Arguments a command cannot use: exit code 2, nothing on standard output,
// one line on the error stream, and no file touched.
#include "CliRunner.h"

using namespace Qt::StringLiterals;

TEST(UsageErrors, everyCommandRefusesArgumentsItCannotUse)
{
    CliHome dir;
    const QByteArray original = "@misc{a, title = {A}}\n";
    const QString bib = dir.write(u"a.bib"_s, original);
    const QString missing = dir.path(u"none.bib"_s);
    const QStringList rows[] = {
        {u"save"_s},
        {u"save"_s, bib, bib},
        {u"save"_s, bib, u"--line-ending"_s, u"3"_s},
        {u"save"_s, bib, u"--attachments"_s, u"2"_s},
        {u"save"_s, bib, u"--encoding"_s, u"999999"_s},
        {u"save"_s, bib, u"-o"_s},
        {u"save"_s, bib, u"--frobnicate"_s},
        {u"save"_s, missing},
        {u"set"_s, bib, u"a"_s, u"title"_s},
        {u"set"_s},
        {u"set"_s, bib, u"a"_s, u"--frob"_s},
        {u"check"_s},
        {u"check"_s, u"--nope"_s, bib},
        {u"export"_s},
        {u"export"_s, bib, u"--format"_s, u"pdf"_s},
        {u"export"_s, bib, u"--prefix"_s, u"4"_s},
        {u"export"_s, missing},
        {u"search"_s, bib},
        {u"search"_s, u"--where"_s, u"title,contains,x"_s, bib},
        {u"search"_s, u"--where"_s, u"14"_s, bib},
        {u"search"_s, u"--where"_s, u"14,1,x"_s},
        {u"search"_s, u"--what"_s, u"--where"_s, u"14,1,x"_s, bib},
        {u"dups"_s},
        {u"dups"_s, missing},
        {u"macros"_s},
        {u"macros"_s, u"--bst"_s},
        {u"macros"_s, u"--bst"_s, u"x.bst"_s, u"extra"_s},
        {u"macros"_s, u"--bst"_s, u"x.bst"_s, u"--encoding"_s, u"no such encoding"_s},
        {u"macros"_s, u"--bst"_s, u"/nonexistent/none.bst"_s},
        {u"encodings"_s, u"extra"_s},
        {u"encodings"_s, u"--json"_s},
        {u"names"_s, u"--nope"_s, u"x"_s},
        {u"names"_s, u"a"_s, u"b"_s},
        {u"paste"_s, u"Smith J"_s},
        {u"paste"_s, u"--authors"_s, u"Smith J"_s},
        {u"paste"_s, u"--author"_s, u"a"_s, u"b"_s},
        {u"tex2text"_s, u"a"_s, u"b"_s},
        {u"tex2html"_s, u"a"_s, u"b"_s},
        {u"unicode2tex"_s, u"--greek"_s, u"x"_s},
        {u"unicode2tex"_s, u"a"_s, u"b"_s},
    };
    for (const QStringList &args : rows) {
        const CliRun run = dir.run(args);
        const std::string name = args.join(u' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << name;
        EXPECT_TRUE(run.out.isEmpty()) << name << ": " << run.out.toStdString();
        EXPECT_EQ(run.err.count(u'\n'), 1) << name << ": " << run.err.toStdString();
    }
    EXPECT_EQ(QfTest::readAll(bib), original);
    EXPECT_FALSE(QFile::exists(bib + u".1"_s));
}
