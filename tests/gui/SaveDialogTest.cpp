#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/platform/QtPlatform.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// What a folder holds, by name.
QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The desktop's own save dialog -------------------------------------------------------

// Answers the real file dialog and the box it asks before replacing a file:
// types `name`, accepts, answers the question with `replace`, and cancels the
// dialog when it shows again.
class DialogUser : public QObject
{
public:
    DialogUser(QString name, QMessageBox::StandardButton replace)
        : m_name(std::move(name)), m_replace(replace)
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, &DialogUser::look);
        m_timer.start();
    }

    QStringList seen;

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen.append(QStringLiteral("question"));
            box->button(m_replace)->click();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (!m_accepted) {
                seen.append(QStringLiteral("dialog"));
                m_accepted = true;
                // Typed into the name field, as the user would.
                dialog->setDirectory(QFileInfo(m_name).absolutePath());
                if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(QFileInfo(m_name).fileName());
                // Accepted after this look, which must be over for the
                // next one to see the question.
                QTimer::singleShot(0, dialog,
                                   [dialog] { static_cast<QDialog*>(dialog)->accept(); });
            } else {
                seen.append(QStringLiteral("dialog again"));
                dialog->reject();
            }
        }
    }

    QString m_name;
    QMessageBox::StandardButton m_replace;
    bool m_accepted = false;
    QTimer m_timer;
};

class RealDialogTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    QtFileDialogs dialogs;
    TempFolder out;
    std::unique_ptr<Form1> form;

    void SetUp() override
    {
        Services services = script.services();
        services.fileDialogs = &dialogs;
        form = std::make_unique<Form1>(services);
        form->Form_Load();
        form->ListView2->AppendItem("712345678904");
    }
};

TEST_F(RealDialogTest, NoToReplacingAnExistingFileWritesNothing)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    DialogUser user(target, QMessageBox::No);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList({"dialog", "question", "dialog again"}));
    EXPECT_EQ(TempFolder::read(target), "the old results\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"valid.txt"});
    EXPECT_TRUE(script.errors().isEmpty());
}

TEST_F(RealDialogTest, YesToReplacingAnExistingFileSavesOverIt)
{
    const QString target = out.write("valid.txt", "the old results\r\n");
    DialogUser user(target, QMessageBox::Yes);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList({"dialog", "question"}));
    EXPECT_EQ(TempFolder::read(target), " Valid Codes\t\r\n712345678904\t\r\n");
}

TEST_F(RealDialogTest, ANewNameIsSavedWithoutAQuestionAndWithoutAnAddedExtension)
{
    const QString target = out.file("results");
    DialogUser user(target, QMessageBox::No);
    form->PushButton4_Click();
    EXPECT_EQ(user.seen, QStringList{"dialog"});
    EXPECT_EQ(TempFolder::read(target), " Valid Codes\t\r\n712345678904\t\r\n");
    EXPECT_EQ(entries(out.path()), QStringList{"results"});
}

} // namespace
