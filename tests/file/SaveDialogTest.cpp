// SPDX-License-Identifier: GPL-3.0-or-later
// The save dialog: the question it puts, and what it creates for each
// answer, through a chooser that answers in place of the user, and once
// through the real file dialog on the offscreen platform.
#include "file/CFile.h"
#include "platform/nav/Navigation.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

using namespace testsupport;

namespace
{

// Installs a chooser for the test's duration and records the question.
class Chooser
{
public:
    explicit Chooser(NavPutFileAnswer answer)
    {
        m_previous = NavSetPutFileChooser([this, answer](const NavPutFileQuestion& q) {
            m_question = q;
            ++m_asked;
            return answer;
        });
    }
    ~Chooser() { NavSetPutFileChooser(m_previous); }
    const NavPutFileQuestion& question() const { return m_question; }
    int asked() const { return m_asked; }

private:
    NavPutFileChooser m_previous;
    NavPutFileQuestion m_question;
    int m_asked = 0;
};

struct SaveCase {
    const char* what;
    bool chosen;
    QString name;
    bool replacing;
    bool created;
    std::vector<QByteArray> after;
};

void PrintTo(const SaveCase& c, std::ostream* os)
{
    *os << c.what;
}

class SaveDialog : public ::testing::TestWithParam<SaveCase>
{
};

TEST_P(SaveDialog, CreatesExactlyWhatTheAnswerSays)
{
    const SaveCase& c = GetParam();
    TempFolder dir;
    ASSERT_TRUE(WriteFile(dir / "old.txt", "old contents"));
    ASSERT_TRUE(WriteFile(dir / "full/inside", "x"));
    NavPutFileAnswer answer;
    answer.chosen = c.chosen;
    answer.folderPath = dir.path();
    answer.fileName = c.name;
    answer.replacing = c.replacing;
    answer.extensionHidden = true;
    Chooser chooser(answer);

    FSRef made{};
    unsigned char hidden = 7;
    EXPECT_EQ(CFile::DoSaveDialog("Untitled.txt", FOUR_CHAR_CODE("TEXT"), FOUR_CHAR_CODE("ttxt"),
                                  made, hidden),
              c.created);
    EXPECT_EQ(chooser.asked(), 1);
    EXPECT_EQ(chooser.question().proposedName, "Untitled.txt");
    EXPECT_EQ(chooser.question().fileType, FOUR_CHAR_CODE("TEXT"));
    EXPECT_EQ(chooser.question().fileCreator, FOUR_CHAR_CODE("ttxt"));
    EXPECT_EQ(ListFolder(dir.path()), c.after);
    if (c.created) {
        EXPECT_EQ(PathFor(made), dir / c.name.toUtf8());
        EXPECT_EQ(ReadFile(PathFor(made)), "");
        EXPECT_EQ(hidden, 1);
        unsigned long type = 1;
        EXPECT_EQ(CFile::FSGetType(made, type), noErr);
        EXPECT_EQ(type, 0u); // the codes only describe the document to the dialog
    } else {
        EXPECT_EQ(hidden, 7);
    }
    if (!(c.created && c.replacing)) {
        EXPECT_EQ(ReadFile(dir / "old.txt"), "old contents");
    }
}

const SaveCase kSaves[] = {
    {"cancelled", false, "new.txt", false, false, {"full", "old.txt"}},
    {"new name", true, "new.txt", false, true, {"full", "new.txt", "old.txt"}},
    {"replacing a file", true, "old.txt", true, true, {"full", "old.txt"}},
    {"replacing in other case", true, "OLD.TXT", true, true, {"OLD.TXT", "full"}},
    {"name taken but not replacing", true, "old.txt", false, false, {"full", "old.txt"}},
    {"taken in other case, not replacing", true, "OLD.txt", false, false, {"full", "old.txt"}},
    {"replacing a folder with contents", true, "full", true, false, {"full", "old.txt"}},
    {"replacing what is not there", true, "ghost", true, false, {"full", "old.txt"}},
    {"empty name", true, "", false, false, {"full", "old.txt"}},
};

INSTANTIATE_TEST_SUITE_P(Answers, SaveDialog, ::testing::ValuesIn(kSaves),
                         [](const auto& info) { return std::to_string(info.index); });

TEST(SaveDialogFolder, AFolderThatIsGoneCreatesNothing)
{
    NavPutFileAnswer answer;
    answer.chosen = true;
    answer.folderPath = "/nonexistent-folder-for-tessaly";
    answer.fileName = "a.txt";
    Chooser chooser(answer);
    FSRef made;
    unsigned char hidden = 0;
    EXPECT_FALSE(CFile::DoSaveDialog("a.txt", 0, 0, made, hidden));
}

// Answers the next file dialog that opens with fileName in folder, or
// cancels it when fileName is empty. Gives up after a few seconds, so a
// dialog that never shows cannot hang the test.
void answerFileDialog(const QString& folder, const QString& fileName, bool* seen)
{
    // Owned by the application, which the test destroys at its end.
    auto* poll = new QTimer(QCoreApplication::instance());
    auto* deadline = new QTimer(QCoreApplication::instance());
    deadline->setSingleShot(true);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        *seen = true;
        poll->stop();
        if (fileName.isEmpty()) {
            dialog->reject();
        } else {
            // Typed into the name field, as a user would: selectFile()
            // leaves a focused field alone.
            dialog->setDirectory(folder);
            auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (nameField)
                nameField->setText(fileName);
            else
                dialog->selectFile(folder + '/' + fileName);
            static_cast<QDialog*>(dialog)->accept(); // as the Save button does
        }
    });
    QObject::connect(deadline, &QTimer::timeout, [=] {
        poll->stop();
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    });
    poll->start(20);
    deadline->start(10000);
}

TEST(RealFileDialog, SavesIntoTheChosenFolderOrCancels)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "file_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TempFolder dir;
    const QString folder = QString::fromUtf8(dir.path());

    bool seen = false;
    answerFileDialog(folder, "report.txt", &seen);
    FSRef made{};
    unsigned char hidden = 9;
    EXPECT_TRUE(CFile::DoSaveDialog("Untitled", FOUR_CHAR_CODE("TEXT"), 0, made, hidden));
    EXPECT_TRUE(seen);
    EXPECT_EQ(PathFor(made), dir / "report.txt");
    EXPECT_EQ(hidden, 0);

    seen = false;
    answerFileDialog(folder, "", &seen);
    EXPECT_FALSE(CFile::DoSaveDialog("Untitled", FOUR_CHAR_CODE("TEXT"), 0, made, hidden));
    EXPECT_TRUE(seen);
    EXPECT_EQ(ListFolder(dir.path()), std::vector<QByteArray>{"report.txt"});
}

} // namespace
