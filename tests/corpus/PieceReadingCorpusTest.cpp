// Reading a file in pieces on several threads gives exactly what reading it in
// one piece gives, wherever the pieces are cut: every corpus file is read in
// one piece and in pieces of a few hundred characters.
#include "storage/ReadSnapshot.h"

#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(PieceReadingCorpus, everyFileReadsTheSameInPiecesAsInOne)
{
    const QString dir = QStringLiteral(QF_CORPUS_DIR);
    if (!QFile::exists(dir + u"/FILES.tsv"_s))
        GTEST_SKIP() << "no corpus at " << dir.toStdString();
    int files = 0;
    QDirIterator it(dir, {u"*.bib"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = file.readAll();
        const ReadSnapshot whole = ReadSnapshot::of(bytes, 1, 1);
        for (const auto &[parts, minimum] : {std::pair{2, 300}, std::pair{4, 150}}) {
            EXPECT_TRUE(ReadSnapshot::of(bytes, parts, minimum) == whole)
                << path.mid(dir.size() + 1).toStdString() << " in " << parts << " pieces";
        }
        ++files;
    }
    EXPECT_GT(files, 1000);
}
