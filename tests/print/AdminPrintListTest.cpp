// tavelo-admin print-list: the learner's filtered words as a PDF, without a screen.
#include "PdfText.h"
#include "PrintFixture.h"

#include <QDir>
#include <QProcess>

namespace {

class AdminPrintListTest : public PrintFixture {
protected:
    int Run(const QStringList& args, QString* output = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(TAVELO_ADMIN), QStringList({"--db", db.Path()}) + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (output != nullptr) {
            *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        }
        return p.exitCode();
    }
    QString Pdf() const { return QDir(out.path()).filePath(QStringLiteral("list.pdf")); }
};

TEST_F(AdminPrintListTest, WritesTheFilteredListWithTheLearnersSettings) {
    AddLearner();
    AddWords(300);
    db.SetSetting(100, 71, 0); // no translation: up to four columns
    db.SetSetting(100, 73, 1);
    QString output;
    ASSERT_EQ(Run({"print-list", "100", "--max-ability", "10000", "--min-passes", "0", "--columns",
                   "3", "--pdf", Pdf()},
                  &output),
              0)
        << output.toStdString();
    EXPECT_TRUE(output.startsWith(QStringLiteral("300 words, 3 pages, 3 columns")))
        << output.toStdString();
    auto pages = ReadPdf(Pdf());
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_TRUE(pages[2].Texts().contains(QStringLiteral("3")));

    // The dialog's starting limits: score <= 4 and passes >= 1.
    const qsizetype listed = Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1").size();
    ASSERT_EQ(Run({"print-list", "100", "--pdf", Pdf()}, &output), 0);
    EXPECT_TRUE(output.startsWith(QStringLiteral("%1 words, 2 pages, 3 columns").arg(listed)))
        << output.toStdString(); // the stored column count
    pages = ReadPdf(Pdf());
    ASSERT_EQ(pages.size(), 2u);
    QStringList words;
    for (const TPdfPage& page : pages) {
        for (const QString& t : page.Texts()) {
            if (t.startsWith('w')) {
                words << t;
            }
        }
    }
    EXPECT_EQ(words, Words("r.USER_ID = 100 and ABILITY <= 4 and WORD_ROUND >= 1"));
}

TEST_F(AdminPrintListTest, RefusesBadArgumentsAndUnknownLearners) {
    AddLearner();
    QString output;
    EXPECT_EQ(Run({"print-list", "100"}, &output), 1);
    EXPECT_EQ(Run({"print-list", "101", "--pdf", Pdf()}, &output), 1);
    EXPECT_TRUE(output.contains(QLatin1String("no learner 101")));
    EXPECT_EQ(Run({"print-list", "100", "--columns", "9", "--pdf", Pdf()}, &output), 1);
    EXPECT_EQ(
        Run({"print-list", "100", "--pdf", QDir(out.path()).filePath("no/such/dir.pdf")}, &output),
        1);
    EXPECT_FALSE(QFile::exists(Pdf()));
}

} // namespace
