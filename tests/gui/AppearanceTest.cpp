#include "gui/Appearance.h"

#include "core/base/Failure.h"
#include "gui/Form1.h"
#include "gui/ListView.h"
#include "gui/ProgressBar.h"
#include "gui/PushButton.h"
#include "support/ScriptedServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

QColor background(const QWidget& widget)
{
    return widget.palette().color(widget.backgroundRole());
}

QString line102(const QString& description)
{
    return description + "\r\nin Lintorak2021/08/31.Form1.Form_Load at line 102\r\rPlease email "
                         "screenshot of this message to support@tarnwell.example";
}

QString shippedSkin()
{
    return qEnvironmentVariable("QUORVANE_SOURCE_DIR") + "/skins/quorvane-slate.qss";
}

// A skinning component that writes down every call it gets, and can be told
// to fail at one member.
class RecordingSkinFactory : public SkinFactory
{
public:
    QStringList calls;
    int created = 0;
    // The option bits the component starts with.
    qint32 initialOptions = 0;
    // The member that throws Failure "<member> refused", if any.
    QString failAt;

    SkinFramework* create(QWidget* window) override
    {
        ++created;
        return new Recording(*this, window);
    }

private:
    class Recording : public SkinFramework
    {
    public:
        Recording(RecordingSkinFactory& factory, QWidget* window)
            : SkinFramework(window), f(factory), m_window(window), m_options(f.initialOptions)
        {}

        void LoadSkin(const QString& path, const QString& variantFile) override
        {
            call("LoadSkin|" + path + "|" + variantFile + "|background " +
                 background(*m_window).name());
        }
        qint32 ApplyOptions() const override
        {
            call("ApplyOptions");
            return m_options;
        }
        void SetApplyOptions(qint32 options) override
        {
            call("SetApplyOptions|" + QString::number(options));
            m_options = options;
        }
        void SetAutoApplyNewWindows(bool on) override
        {
            call(QString("SetAutoApplyNewWindows|") + (on ? "true" : "false"));
        }
        void SetEnabled(bool on) override
        {
            call(QString("SetEnabled|") + (on ? "true" : "false"));
        }
        void ApplyWindow(quintptr windowHandle) override
        {
            call("ApplyWindow|" + QString::number(windowHandle));
        }

    private:
        void call(const QString& what) const
        {
            f.calls.append(what);
            const QString member = what.section('|', 0, 0);
            if (member == f.failAt)
                throw Failure(member + " refused");
        }

        RecordingSkinFactory& f;
        QWidget* m_window;
        qint32 m_options;
    };
};

class AppearanceTest : public ::testing::Test
{
protected:
    ScriptedServices script;
    RecordingSkinFactory recorder;

    QString skinPath() const { return script.programFolder() + "/x/o.cjs"; }

    void installSkin(const QByteArray& bytes) const
    {
        script.folder.write("program/x/o.cjs", bytes);
    }

    // A window whose start-up has not run yet.
    std::unique_ptr<Form1> makeForm(SkinFactory* skin)
    {
        Services services = script.services();
        services.skin = skin;
        return std::make_unique<Form1>(services);
    }

    std::unique_ptr<Form1> loadForm(SkinFactory* skin)
    {
        auto form = makeForm(skin);
        form->Form_Load();
        return form;
    }

    // The window keeps its design-time look and the component is never called.
    void expectNoSkin(const Form1& form) const
    {
        EXPECT_EQ(recorder.created, 0);
        EXPECT_TRUE(recorder.calls.isEmpty()) << qPrintable(recorder.calls.join('\n'));
        EXPECT_EQ(background(form), QColor(Qt::white));
        EXPECT_TRUE(script.log.isEmpty()) << qPrintable(script.log.join('\n'));
    }
};

// ---------------------------------------------------------------------------
// The five calls

TEST_F(AppearanceTest, SkinFileGivesButtonFaceAndTheFiveCallsInOrder)
{
    installSkin("Form1 { background: navy; }");
    recorder.initialOptions = 0x00F0;
    auto form = loadForm(&recorder);

    EXPECT_TRUE(script.log.isEmpty()) << qPrintable(script.log.join('\n'));
    EXPECT_EQ(background(*form), buttonFace());
    EXPECT_NE(buttonFace(), QColor(Qt::white));
    // The background is button face before the skin is loaded.
    const QStringList expected = {
        "LoadSkin|" + skinPath() + "||background " + buttonFace().name(),
        "ApplyOptions",
        "SetApplyOptions|241",
        "SetAutoApplyNewWindows|true",
        "SetEnabled|true",
        "ApplyWindow|" + QString::number(form->winId()),
    };
    EXPECT_EQ(recorder.calls, expected);
    EXPECT_EQ(recorder.created, 1);
    auto* component = form->findChild<SkinFramework*>("SkinFramework1");
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->parent(), form.get());
    // The rest of start-up ran.
    EXPECT_EQ(form->windowTitle(), "Quorvane");
    EXPECT_EQ(form->ListView3->model().HeaderText(1), "Invalid Codes");
}

TEST_F(AppearanceTest, OptionBitsAreKeptAndBit0IsSetByOr)
{
    const qint32 cases[][2] = {
        {0, 1},
        {1, 1},
        {qint32(0x80000001), qint32(0x80000001)},
        {qint32(0xFFFFFFFE), -1},
        {0x12340000, 0x12340001},
    };
    for (const auto& [read, written] : cases) {
        SCOPED_TRACE(read);
        installSkin("Form1 {}");
        recorder.calls.clear();
        recorder.initialOptions = read;
        auto form = loadForm(&recorder);
        ASSERT_GE(recorder.calls.size(), 3);
        EXPECT_EQ(recorder.calls[1], "ApplyOptions");
        EXPECT_EQ(recorder.calls[2], "SetApplyOptions|" + QString::number(written));
    }
}

// ---------------------------------------------------------------------------
// What counts as the skin file

TEST_F(AppearanceTest, WithoutTheSkinFileNothingIsCalledAndTheWindowStaysWhite)
{
    auto form = loadForm(&recorder);
    expectNoSkin(*form);
    EXPECT_EQ(form->findChild<SkinFramework*>(), nullptr);
}

TEST_F(AppearanceTest, EmptySkinFolderIsNoSkin)
{
    QDir().mkpath(script.programFolder() + "/x");
    script.folder.write("program/x/other.cjs", "Form1 {}");
    script.folder.write("program/o.cjs", "Form1 {}");
    auto form = loadForm(&recorder);
    expectNoSkin(*form);
}

TEST_F(AppearanceTest, FolderNamedLikeTheSkinIsNoSkin)
{
    ASSERT_TRUE(QDir().mkpath(skinPath()));
    auto form = loadForm(&recorder);
    expectNoSkin(*form);
}

TEST_F(AppearanceTest, HiddenSkinFileIsNoSkin)
{
    installSkin("Form1 {}");
    script.folder.write("program/x/.hidden", "readme.txt\no.cjs\n");
    auto form = loadForm(&recorder);
    expectNoSkin(*form);
}

TEST_F(AppearanceTest, HiddenListNamingOtherFilesLeavesTheSkin)
{
    installSkin("Form1 {}");
    script.folder.write("program/x/.hidden", "o.cjs.bak\nO.CJS\n");
    auto form = loadForm(&recorder);
    EXPECT_EQ(recorder.calls.size(), 6);
    EXPECT_EQ(background(*form), buttonFace());
}

TEST_F(AppearanceTest, PipeNamedLikeTheSkinIsNoSkin)
{
    QDir().mkpath(script.programFolder() + "/x");
    ASSERT_EQ(::mkfifo(QFile::encodeName(skinPath()).constData(), 0600), 0);
    auto form = loadForm(&recorder); // must not block on the pipe
    expectNoSkin(*form);
}

TEST_F(AppearanceTest, NameInOtherCaseIsNoSkin)
{
    script.folder.write("program/x/O.CJS", "Form1 {}");
    auto form = loadForm(&recorder);
    expectNoSkin(*form);
}

TEST_F(AppearanceTest, LinkToAnOrdinaryFileIsASkin)
{
    const QString target = script.folder.write("skins/slate.qss", "Form1 {}");
    QDir().mkpath(script.programFolder() + "/x");
    ASSERT_TRUE(QFile::link(target, skinPath()));
    auto form = loadForm(&recorder);
    ASSERT_EQ(recorder.calls.size(), 6);
    EXPECT_TRUE(recorder.calls[0].startsWith("LoadSkin|" + skinPath() + "|"));
}

TEST_F(AppearanceTest, SkinFolderThatCannotBeListedIsReportedAtLine102)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root lists every folder";
    installSkin("Form1 {}");
    const QString folder = script.programFolder() + "/x";
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0300), 0);
    auto form = loadForm(&recorder);
    ::chmod(QFile::encodeName(folder).constData(), 0700);
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.errors()[0],
              line102("Skin folder " + folder + " cannot be listed: permission denied"));
    EXPECT_TRUE(recorder.calls.isEmpty());
    EXPECT_EQ(background(*form), QColor(Qt::white));
}

// ---------------------------------------------------------------------------
// Controls that take the window's colour

TEST_F(AppearanceTest, LabelsFramesCheckBoxesAndOptionButtonsTakeButtonFace)
{
    for (const bool skinned : {false, true}) {
        SCOPED_TRACE(skinned);
        if (skinned)
            installSkin("Form1 {}");
        auto form = makeForm(&recorder);
        auto* frame = new QGroupBox("frame", form.get());
        QWidget* kinds[] = {new QLabel("label", form.get()), frame,
                            new QCheckBox("check", form.get()),
                            new QRadioButton("option", form.get()), new QLabel("inner", frame)};
        for (QWidget* control : kinds) {
            QPalette red = control->palette();
            red.setColor(control->backgroundRole(), Qt::red);
            control->setPalette(red);
        }
        form->Form_Load();
        for (QWidget* control : kinds) {
            SCOPED_TRACE(control->metaObject()->className());
            EXPECT_EQ(background(*control), skinned ? buttonFace() : QColor(Qt::red));
        }
        // Other kinds are left as they are.
        EXPECT_EQ(form->PushButton1->palette().color(QPalette::Button), QColor(Qt::white));
        EXPECT_EQ(form->ListView1->palette().color(QPalette::Base),
                  QApplication::palette().color(QPalette::Base));
    }
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(AppearanceTest, FailingLoadIsReportedOnceAtLine102AndStartUpGoesOn)
{
    installSkin("Form1 {}");
    recorder.failAt = "LoadSkin";
    auto form = loadForm(&recorder);
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.errors()[0], line102("LoadSkin refused"));
    EXPECT_EQ(script.log.size(), 1);
    // The earlier step stays done; the later ones do not run.
    EXPECT_EQ(background(*form), buttonFace());
    EXPECT_EQ(recorder.calls.size(), 1);
    EXPECT_EQ(form->windowTitle(), "Quorvane");
    EXPECT_EQ(form->ListView1->model().HeaderText(1), "UPC Codes");
}

TEST_F(AppearanceTest, FailureAtAnyLaterCallEndsTheSkinThere)
{
    const std::pair<const char*, int> members[] = {
        {"ApplyOptions", 2}, {"SetApplyOptions", 3}, {"SetAutoApplyNewWindows", 4},
        {"SetEnabled", 5},   {"ApplyWindow", 6},
    };
    for (const auto& [member, callsMade] : members) {
        SCOPED_TRACE(member);
        installSkin("Form1 {}");
        script.log.clear();
        recorder.calls.clear();
        recorder.failAt = member;
        auto form = loadForm(&recorder);
        ASSERT_EQ(script.errors().size(), 1);
        EXPECT_EQ(script.errors()[0], line102(QString(member) + " refused"));
        EXPECT_EQ(recorder.calls.size(), callsMade);
        EXPECT_EQ(background(*form), buttonFace());
    }
}

TEST_F(AppearanceTest, MissingComponentIsReportedAtLine102)
{
    installSkin("Form1 {}");
    auto form = loadForm(nullptr);
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.errors()[0], line102("The skinning component is not available"));
    EXPECT_EQ(background(*form), buttonFace());
}

// ---------------------------------------------------------------------------
// The style sheet component

class StyleSheetSkinTest : public AppearanceTest
{
protected:
    // The description of the failure that reading the skin file gives, or ""
    // when it reads.
    static QString readFailure(const QString& path)
    {
        try {
            StyleSheetSkin::readSkinFile(path);
            return {};
        } catch (const Failure& failure) {
            return failure.description();
        }
    }

    // A window whose component has the skin loaded, not yet applied.
    std::pair<std::unique_ptr<QWidget>, StyleSheetSkin*> loadedSkin(const QByteArray& sheet)
    {
        auto window = std::make_unique<QWidget>();
        auto* skin = new StyleSheetSkin(window.get());
        skin->LoadSkin(script.folder.write("skin.qss", sheet), QString());
        return {std::move(window), skin};
    }
};

TEST_F(StyleSheetSkinTest, UnusableSkinFilesAreRefusedSayingWhy)
{
    const QString missing = script.folder.file("missing.qss");
    EXPECT_EQ(readFailure(missing), "Skin file " + missing + " not found");
    const QString folder = script.folder.file("folder.qss");
    QDir().mkpath(folder);
    EXPECT_EQ(readFailure(folder), "Skin file " + folder + " is not a file");

    static const char binary[] = "QPushButton { color: red; }\0\x01\x02";
    const std::pair<QByteArray, const char*> cases[] = {
        {"", "is empty"},
        {" \r\n\t\n", "is empty"},
        {"\xEF\xBB\xBF", "is empty"},
        {QByteArray(binary, sizeof binary - 1), "is not a text file"},
        {"QPushButton { color: \xFF\xFE red; }", "is not UTF-8 text"},
        {"QPushButton { color: red; ", "is not a valid Qt style sheet"},
        {"this is { not } } a style sheet", "is not a valid Qt style sheet"},
        {QByteArray(StyleSheetSkin::MaximumFileSize + 1, ' '),
         "is too large for a skin (4194305 bytes; a skin has at most 4194304)"},
    };
    for (const auto& [bytes, why] : cases) {
        SCOPED_TRACE(why);
        const QString path = script.folder.write("bad.qss", bytes);
        EXPECT_EQ(readFailure(path), "Skin file " + path + " " + why);
    }
}

TEST_F(StyleSheetSkinTest, UnreadableSkinFileIsRefused)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = script.folder.write("locked.qss", "QPushButton { color: red; }");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    EXPECT_TRUE(readFailure(path).startsWith("Skin file " + path + " cannot be read: "));
}

TEST_F(StyleSheetSkinTest, ReadsTheShippedSkinAndTakesImagesFromTheSkinsFolder)
{
    EXPECT_EQ(readFailure(shippedSkin()), "");
    const QString path = script.folder.write(
        "skins/a/skin.qss", "\xEF\xBB\xBFQLabel { image: url(check.png); }\n"
                            "QPushButton { image: url( 'img/../up.png' ); }\n"
                            "QCheckBox { image: url(/usr/share/x.png); }\n"
                            "QRadioButton { image: url(:/quorvane/quorvane.png); }\n"
                            "/* url(note.png) */ QLineEdit { image: url(\"edit.png\"); }");
    const QString folder = script.folder.file("skins/a");
    EXPECT_EQ(StyleSheetSkin::readSkinFile(path),
              "QLabel { image: url(\"" + folder +
                  "/check.png\"); }\n"
                  "QPushButton { image: url('" +
                  folder +
                  "/up.png'); }\n"
                  "QCheckBox { image: url(/usr/share/x.png); }\n"
                  "QRadioButton { image: url(:/quorvane/quorvane.png); }\n"
                  "/* url(note.png) */ QLineEdit { image: url(\"" +
                  folder + "/edit.png\"); }");
}

TEST_F(StyleSheetSkinTest, VariantFileIsLaidOverTheSkin)
{
    QWidget window;
    StyleSheetSkin skin(&window);
    const QString variant = script.folder.write("variant.qss", "QPushButton { color: red; }");
    skin.LoadSkin(script.folder.write("skin.qss", "QPushButton { color: blue; }"), variant);
    EXPECT_EQ(skin.StyleSheet(), "QPushButton { color: blue; }\nQPushButton { color: red; }");
    EXPECT_THROW(skin.LoadSkin(script.folder.write("empty.qss", ""), QString()), Failure);
    // A failed load keeps the skin that was loaded.
    EXPECT_EQ(skin.StyleSheet(), "QPushButton { color: blue; }\nQPushButton { color: red; }");
}

TEST_F(StyleSheetSkinTest, StartsWithNoOptions)
{
    StyleSheetSkin skin;
    EXPECT_EQ(skin.ApplyOptions(), 0);
    skin.SetApplyOptions(qint32(0xA5A50000));
    EXPECT_EQ(skin.ApplyOptions(), qint32(0xA5A50000));
}

TEST_F(StyleSheetSkinTest, ApplyWindowNeedsAWindowAndASkin)
{
    QWidget window;
    StyleSheetSkin skin(&window);
    try {
        skin.ApplyWindow(quintptr(window.winId()));
        ADD_FAILURE() << "applied without a skin";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "No skin is loaded");
    }
    skin.LoadSkin(script.folder.write("skin.qss", "QWidget { color: red; }"), QString());
    try {
        skin.ApplyWindow(quintptr(0x7FFFFFF0));
        ADD_FAILURE() << "applied to a window that does not exist";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.description(), "Invalid window handle");
    }
    EXPECT_TRUE(window.styleSheet().isEmpty());
}

TEST_F(StyleSheetSkinTest, OptionBit0AndEnabledDecideWhetherTheWindowIsSkinned)
{
    auto [window, skin] = loadedSkin("QWidget { color: red; }");
    skin->ApplyWindow(quintptr(window->winId()));
    EXPECT_TRUE(window->styleSheet().isEmpty());
    skin->SetApplyOptions(0x10 | SkinFramework::SkinApplyWindow);
    EXPECT_EQ(window->styleSheet(), "QWidget { color: red; }");
    skin->SetEnabled(false);
    EXPECT_TRUE(window->styleSheet().isEmpty());
    skin->SetEnabled(true);
    EXPECT_EQ(window->styleSheet(), "QWidget { color: red; }");
    skin->SetApplyOptions(0x10);
    EXPECT_TRUE(window->styleSheet().isEmpty());
}

TEST_F(StyleSheetSkinTest, LaterWindowsGetTheSkinOnlyWhenAskedFor)
{
    for (const bool autoApply : {false, true}) {
        SCOPED_TRACE(autoApply);
        auto [window, skin] = loadedSkin("QDialog { background: navy; }");
        skin->SetApplyOptions(SkinFramework::SkinApplyWindow);
        skin->SetAutoApplyNewWindows(autoApply);
        skin->ApplyWindow(quintptr(window->winId()));

        QDialog later;
        later.show();
        EXPECT_EQ(later.styleSheet(),
                  autoApply ? QString("QDialog { background: navy; }") : QString());
        // A dialog over the skinned window takes the skin from it.
        QDialog over(window.get());
        over.show();
        EXPECT_TRUE(over.styleSheet().isEmpty());
        // A window with a sheet of its own keeps it.
        QDialog own;
        own.setStyleSheet("QDialog { background: green; }");
        own.show();
        EXPECT_EQ(own.styleSheet(), "QDialog { background: green; }");

        skin->SetEnabled(false);
        EXPECT_TRUE(later.styleSheet().isEmpty());
        QDialog whileOff;
        whileOff.show();
        EXPECT_TRUE(whileOff.styleSheet().isEmpty());
    }
}

// ---------------------------------------------------------------------------
// The real skin on the real window

class SkinnedWindowTest : public AppearanceTest
{
protected:
    StyleSheetSkinFactory real;

    static QImage grab(QWidget& control) { return control.grab().toImage(); }

    // The share of pixels that differ between two pictures of one size.
    static double changed(const QImage& a, const QImage& b)
    {
        EXPECT_EQ(a.size(), b.size());
        if (a.size() != b.size() || a.isNull())
            return 0;
        qint64 differing = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                differing += a.pixel(x, y) != b.pixel(x, y);
        return double(differing) / (a.width() * a.height());
    }

    static void fill(Form1& form)
    {
        for (ListView* list : {form.ListView1, form.ListView2, form.ListView3}) {
            list->AppendItem("012345678905");
            list->Refresh();
        }
        form.ProgressBar1->SetValue(60);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
};

TEST_F(SkinnedWindowTest, ShippedSkinChangesHowTheWindowIsDrawn)
{
    auto plain = loadForm(&real);
    fill(*plain);

    QDir().mkpath(script.programFolder() + "/x");
    ASSERT_TRUE(QFile::copy(shippedSkin(), skinPath()));
    auto skinned = loadForm(&real);
    fill(*skinned);
    EXPECT_TRUE(script.log.isEmpty()) << qPrintable(script.log.join('\n'));
    EXPECT_EQ(skinned->styleSheet(), StyleSheetSkin::readSkinFile(shippedSkin()));

    EXPECT_GT(changed(grab(*plain), grab(*skinned)), 0.5);
    for (const char* name :
         {"PushButton1", "PushButton17", "ListView1", "ListView3", "ProgressBar1"}) {
        SCOPED_TRACE(name);
        auto* before = plain->findChild<QWidget*>(name);
        auto* after = skinned->findChild<QWidget*>(name);
        ASSERT_TRUE(before && after);
        EXPECT_GT(changed(grab(*before), grab(*after)), 0.3);
    }
    // The window's margin is drawn in the skin's colour, not white or button face.
    const QColor margin = grab(*skinned).pixelColor(2, 2);
    EXPECT_NE(margin, QColor(Qt::white));
    EXPECT_NE(margin, buttonFace());
}

TEST_F(SkinnedWindowTest, SkinThatCannotBeLoadedLeavesButtonFaceAndOneReport)
{
    installSkin("");
    auto form = loadForm(&real);
    fill(*form);
    ASSERT_EQ(script.errors().size(), 1);
    EXPECT_EQ(script.errors()[0], line102("Skin file " + skinPath() + " is empty"));
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(grab(*form).pixelColor(2, 2), buttonFace());
}

TEST_F(SkinnedWindowTest, WithoutTheSkinTheWindowIsDrawnWhite)
{
    auto form = loadForm(&real);
    fill(*form);
    EXPECT_TRUE(form->styleSheet().isEmpty());
    EXPECT_EQ(form->findChild<SkinFramework*>(), nullptr);
    EXPECT_EQ(grab(*form).pixelColor(2, 2), QColor(Qt::white));
}

} // namespace
