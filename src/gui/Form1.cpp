#include "gui/Form1.h"

#include "core/base/Failure.h"
#include "core/base/Maker.h"
#include "features/Main.h"
#include "features/host/Procedure.h"
#include "features/host/SpreadsheetReader.h"
#include "gui/Appearance.h"
#include "gui/Contrast.h"
#include "gui/FindBar.h"
#include "gui/ListView.h"
#include "gui/PushButton.h"
#include "gui/Twips.h"
#include "gui/platform/CursorFile.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QWidgetAction>

namespace {

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// A screen reader is told that the window is the application's frame.
QAccessibleInterface* accessibleFor(const QString& className, QObject* object)
{
    if (className == QLatin1String("Form1"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

Form1::Form1(const Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      Host(services)
{
    QAccessible::installFactory(accessibleFor); // Qt keeps a factory once
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    layOut();
    setLists(ListView1->model(), ListView2->model(), ListView3->model());
    connectHandlers();
}

void Form1::layOut()
{
    setFixedSize(Twips::toPixels(8040), Twips::toPixels(9900));
    setFont(arialBold(9));
    // Wherever the window sets a colour it sets the text colour that goes with
    // it: the desktop's own where it reads on white, black or white otherwise.
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    background.setColor(QPalette::WindowText,
                        Contrast::readableOn(Qt::white, background.color(QPalette::WindowText)));
    setPalette(background);
    setAutoFillBackground(true);
    setMouseTracking(true);

    // Each control at its place, given in twips.
    auto place = [](auto* control, const char* name, int left, int top, int width, int height) {
        control->setObjectName(QLatin1String(name));
        control->setGeometry(Twips::toPixels(left), Twips::toPixels(top), Twips::toPixels(width),
                             Twips::toPixels(height));
        return control;
    };
    const QColor controlText = Contrast::readableOn(
        Qt::white, QApplication::palette().color(QPalette::Active, QPalette::ButtonText));
    auto makeButton = [&](const char* name, const char* caption, int left, int top, int width) {
        auto* button =
            place(new PushButton(QString::fromUtf8(caption), this), name, left, top, width, 405);
        button->setFont(arialBold(11.25));
        QPalette colours = button->palette();
        colours.setColor(QPalette::Button, Qt::white);
        colours.setColor(QPalette::ButtonText, controlText);
        button->setPalette(colours);
        return button;
    };
    auto makeList = [&](const char* name, const char* accessibleName, int left, int top) {
        auto* list = place(new ListView(this), name, left, top, 7800, 1635);
        list->setToolTip(QStringLiteral("Double-click item to remove it. Move | line to right "
                                        "and out of window to reveal full names."));
        list->setAccessibleName(QLatin1String(accessibleName));
        return list;
    };

    PushButton5 = makeButton("PushButton5", "Help", 120, 120, 7800);
    ListView1 = makeList("ListView1", "UPC Codes", 120, 630);
    PushButton6 = makeButton("PushButton6", "Add UPC Number or Numbers", 120, 2355, 3840);
    PushButton3 = makeButton("PushButton3", "Load UPCs From Text File", 4080, 2355, 3840);
    PushButton1 = makeButton("PushButton1", "Clear List", 120, 2865, 3840);
    PushButton12 = makeButton("PushButton12", "Load Sample/Example UPCs", 4080, 2865, 3840);
    PushButton17 = makeButton("PushButton17", "Start Validating", 120, 3375, 7800);
    ListView2 = makeList("ListView2", "Valid Codes", 120, 3870);
    PushButton4 = makeButton("PushButton4", "Save Results As Text File", 120, 5595, 3840);
    PushButton13 = makeButton("PushButton13", "Save Results As Excel File", 4080, 5595, 3840);
    PushButton10 = makeButton("PushButton10", "Copy Results To Clipboard", 120, 6105, 3840);
    PushButton2 = makeButton("PushButton2", "Clear Results", 4080, 6105, 3840);
    ListView3 = makeList("ListView3", "Invalid Codes", 135, 6630);
    PushButton8 = makeButton("PushButton8", "Save Results As Text File", 120, 8350, 3840);
    PushButton7 = makeButton("PushButton7", "Save Results As Excel File", 4080, 8350, 3840);
    PushButton11 = makeButton("PushButton11", "Copy Results To Clipboard", 120, 8860, 3840);
    PushButton9 = makeButton("PushButton9", "Clear Results", 4080, 8860, 3840);
    ProgressBar1 = place(new ProgressBar(this), "ProgressBar1", 120, 9380, 7800, 405);
    ProgressBar1->SetText(QStringLiteral("Progress Bar"));
    ProgressBar1->setFont(arialBold(11.25));
    QPalette colours = ProgressBar1->palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, controlText);
    colours.setColor(QPalette::WindowText, controlText);
    ProgressBar1->setPalette(colours);

    // The buttons under both result lists, told apart for a screen reader.
    for (PushButton* button : {PushButton4, PushButton13, PushButton10, PushButton2})
        button->setAccessibleDescription(QStringLiteral("valid codes"));
    for (PushButton* button : {PushButton8, PushButton7, PushButton11, PushButton9})
        button->setAccessibleDescription(QStringLiteral("invalid codes"));

    // Keyboard order: the three lists, then the buttons; "Help" is the
    // fourteenth stop and "Load Sample/Example UPCs" the last button.
    const QWidget* order[] = {ListView1,    ListView2,    ListView3,   PushButton6,  PushButton3,
                              PushButton1,  PushButton17, PushButton4, PushButton13, PushButton2,
                              PushButton8,  PushButton7,  PushButton9, PushButton5,  PushButton10,
                              PushButton11, PushButton12, ProgressBar1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}

void Form1::placeWithin(const QRect& available)
{
    // The title bar and the borders, which the desktop adds only once the
    // window is shown.
    const QSize frameAllowance(8, 40);
    const QSize room = available.size() - frameAllowance;
    QRect frame = frameGeometry();
    if (width() > room.width() || height() > room.height()) {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QSize fitted = size();
        fitted.rwidth() += height() > room.height() ? bar : 0;
        fitted.rheight() += fitted.width() > room.width() ? bar : 0;
        scrollLayout(fitted.boundedTo(room));
        frame = QRect(QPoint(), size() + frameAllowance);
    }
    frame.moveCenter(available.center());
    move(frame.topLeft());
}

// The controls, at their places, move into a view that scrolls and fills
// the window, which takes `size`.
void Form1::scrollLayout(const QSize& size)
{
    auto* view = new QScrollArea(this);
    view->setFrameShape(QFrame::NoFrame);
    view->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QWidget(view);
    layout->setFixedSize(this->size());
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control != view)
            control->setParent(layout);
    view->setWidget(layout);
    // A move over the background reaches the window through them.
    for (QWidget* part : {static_cast<QWidget*>(view), view->viewport(), layout})
        part->setMouseTracking(true);
    setFixedSize(size);
    view->setGeometry(rect());
}

void Form1::connectHandlers()
{
    const std::pair<PushButton*, void (Form1::*)()> clicks[] = {
        {PushButton1, &Form1::PushButton1_Click},   {PushButton2, &Form1::PushButton2_Click},
        {PushButton3, &Form1::PushButton3_Click},   {PushButton4, &Form1::PushButton4_Click},
        {PushButton5, &Form1::PushButton5_Click},   {PushButton6, &Form1::PushButton6_Click},
        {PushButton7, &Form1::PushButton7_Click},   {PushButton8, &Form1::PushButton8_Click},
        {PushButton9, &Form1::PushButton9_Click},   {PushButton10, &Form1::PushButton10_Click},
        {PushButton11, &Form1::PushButton11_Click}, {PushButton12, &Form1::PushButton12_Click},
        {PushButton13, &Form1::PushButton13_Click}, {PushButton17, &Form1::PushButton17_Click},
    };
    // While an import or a spreadsheet file save lets the window run, only the
    // copies act: every other click is refused, and nothing is queued. The
    // lists' own edits and menus already keep to the busy pointer.
    for (const auto& [button, handler] : clicks) {
        const bool copies = button == PushButton10 || button == PushButton11;
        connect(button, &QPushButton::clicked, this, [this, copies, handler = handler] {
            if (copies || !holdsActions())
                (this->*handler)();
        });
        connect(button, &PushButton::MouseMove, this, &Form1::PushButton_MouseMove);
    }
    for (ListView* list : {ListView1, ListView2, ListView3})
        connect(list, &ListView::MouseMove, this, &Form1::ListView_MouseMove);
    connect(ListView1, &ListView::DblClick, this, &Form1::ListView1_DblClick);
    connect(ListView2, &ListView::DblClick, this, &Form1::ListView2_DblClick);
    connect(ListView3, &ListView::DblClick, this, &Form1::ListView3_DblClick);
    connect(ListView1, &ListView::KeyDown, this, &Form1::ListView1_KeyDown);
    connect(ListView2, &ListView::KeyDown, this, &Form1::ListView2_KeyDown);
    connect(ListView3, &ListView::KeyDown, this, &Form1::ListView3_KeyDown);
    connect(ListView1, &ListView::ContextMenu, this, &Form1::ListView1_ContextMenu);
    connect(ListView2, &ListView::ContextMenu, this, &Form1::ListView2_ContextMenu);
    connect(ListView3, &ListView::ContextMenu, this, &Form1::ListView3_ContextMenu);
    // Keys for the commonest buttons; each clicks its button, so it does what
    // a click does, the busy pointer's refusals included.
    const std::pair<QKeySequence, PushButton*> keys[] = {
        {QKeySequence(Qt::Key_F1), PushButton5},
        {QKeySequence(Qt::CTRL | Qt::Key_O), PushButton3},
        {QKeySequence(Qt::CTRL | Qt::Key_Return), PushButton17},
        {QKeySequence(Qt::CTRL | Qt::Key_Enter), PushButton17},
    };
    for (const auto& [key, button] : keys)
        connect(new QShortcut(key, this), &QShortcut::activated, button, &QPushButton::click);

    // Only the code list takes drops. The files are loaded after the drop has
    // returned, so that the program they came from is not kept waiting.
    ListView1->SetAcceptsDrops(true);
    connect(ListView1, &ListView::Dropped, this, &Form1::ListView1_OLEDragDrop,
            Qt::QueuedConnection);
}

void Form1::Form_Load()
{
    Procedure p(prompts(), procedureTag("Form1", "Form_Load"));

    p.step(102, [&] { Main::ApplySkin(*this); });
    p.step(106, [&] { setWindowTitle(QLatin1String(Maker::ProductName)); });
    p.step(106, [&] { setWindowIcon(QIcon(QStringLiteral(":/quorvane/quorvane.png"))); });
    p.step(106, [&] { Main::SetApplicationTitle(); });
    const QString cursorPath = m_services.programFolder + QStringLiteral("/HAND-M.CUR");
    if (p.when(108, [&] { return Main::FileExists(cursorPath); }))
        p.step(110, [&] { loadMouseIcon(cursorPath); });
    p.step(112, [&] {
        Main::OpenHomePageOccasionally(*m_services.random, *m_services.urlOpener,
                                       m_services.secondsSinceMidnight());
    });
    p.step(130, [&] { ListView1->model().AddColumnHeader(QStringLiteral("UPC Codes")); });
    p.step(132, [&] { ListView1->SetColumnWidth(1, 7000); });
    p.step(134, [&] { ListView2->model().AddColumnHeader(QStringLiteral(" Valid Codes")); });
    p.step(136, [&] { ListView2->SetColumnWidth(1, 7000); });
    p.step(138, [&] { ListView3->model().AddColumnHeader(QStringLiteral("Invalid Codes")); });
    p.step(140, [&] { ListView3->SetColumnWidth(1, 7000); });

    m_storedCodes.restore(*this, p);
}

void Form1::Form_QueryUnload()
{
    Procedure p(prompts(), procedureTag("Form1", "Form_QueryUnload"));

    p.step(110, [&] { m_storedCodes.store(*this); });
    p.step(112, [&] { DoEvents(); });
}

void Form1::Form_Unload()
{
    // Closed while the spreadsheet application reads a document: it is stopped.
    if (m_yieldDepth > 0 && m_services.spreadsheetReader)
        m_services.spreadsheetReader->stopReading();
    if (m_services.endProgram)
        m_services.endProgram(m_yieldDepth > 0);
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    event->accept();
    Form_Unload();
}

void Form1::loadMouseIcon(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.errorString());
    const QByteArray bytes = file.readAll();
    const auto hotspot = cursorHotspot(bytes);
    QPixmap image;
    if (!hotspot || !image.loadFromData(bytes, "CUR"))
        throw Failure(QLatin1String(FailureText::InvalidPicture));
    m_mouseIcon = QCursor(image, hotspot->x(), hotspot->y());
}

void Form1::SetMousePointer(PointerMode mode)
{
    m_mousePointer = mode;
    if (mode == PointerMode::Hourglass)
        setCursor(Qt::WaitCursor);
    else if (mode == PointerMode::Custom && m_mouseIcon)
        setCursor(*m_mouseIcon);
    else
        setCursor(Qt::ArrowCursor);
}

void Form1::DoEvents()
{
    ++m_yieldDepth;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    --m_yieldDepth;
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

// The pointer over the window or a control, unless an action shows it busy.
void Form1::showPointer(PointerMode mode)
{
    if (!isBusy())
        SetMousePointer(mode);
}

void Form1::removeSelectedItem(ListView* list)
{
    CodeListEditing::removeItem(*this, list->model(), list->SelectedItem());
}

void Form1::listKeyDown(ListView* list, int keyCode, int shift)
{
    if (keyCode == 'F' && shift == 2) // Ctrl+F
        FindBar::openFor(*list, *this);
    CodeListEditing::listKeyDown(*this, list->model(), list->SelectedItem(), keyCode, shift);
}

void Form1::ListView1_OLEDragDrop(const QStringList& files, const QString& text)
{
    if (!files.isEmpty())
        TextFileImport::loadDroppedFiles(*this, files);
    else
        CodeListEditing::addDroppedText(*this, text);
}

// Shows the menu the list's feature describes and carries out the chosen
// entry. A line that only informs reads as text, not as a greyed entry.
void Form1::showListMenu(ListView* list, const QPoint& globalPos)
{
    QMenu menu(this);
    for (const CodeListEditing::MenuEntry& entry :
         CodeListEditing::listMenu(*this, list->model(), list->SelectedItem())) {
        const QString text = QString(entry.text).replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (entry.text.isEmpty()) {
            menu.addSeparator();
        } else if (entry.action == CodeListEditing::ListAction::None) {
            auto* line = new QLabel(entry.text);
            line->setTextFormat(Qt::PlainText);
            line->setContentsMargins(8, 3, 8, 3);
            auto* info = new QWidgetAction(&menu);
            info->setDefaultWidget(line);
            info->setText(text);
            menu.addAction(info);
        } else {
            QAction* action = menu.addAction(text);
            action->setData(int(entry.action));
            action->setEnabled(entry.enabled);
        }
    }
    const QAction* chosen = menu.exec(globalPos);
    const auto action = CodeListEditing::ListAction(chosen ? chosen->data().toInt() : 0);
    if (action == CodeListEditing::ListAction::Find)
        FindBar::openFor(*list, *this);
    else if (chosen)
        CodeListEditing::runListAction(*this, list->model(), list->SelectedItem(), action);
}
