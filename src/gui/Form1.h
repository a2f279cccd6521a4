#pragma once

#include "features/ClipboardCopy.h"
#include "features/CodeListEditing.h"
#include "features/CodeListStore.h"
#include "features/Help.h"
#include "features/ResultClearing.h"
#include "features/SpreadsheetExport.h"
#include "features/TextExport.h"
#include "features/TextFileImport.h"
#include "features/ValidationRun.h"
#include "features/host/Host.h"
#include "features/host/Services.h"
#include "gui/ProgressBar.h"

#include <QCursor>
#include <QWidget>
#include <optional>

class ListView;
class PushButton;

// The main window. Its handlers are named after their control and event; each
// hands the work to the feature that owns it (CONTRIBUTING.md has the table),
// with the window as the feature's host.
class Form1 : public QWidget, public Host
{
    Q_OBJECT

public:
    explicit Form1(const Services& services, QWidget* parent = nullptr);

    // Start-up, before the window is first shown.
    void Form_Load();
    // The close request: stores the code list; never refuses.
    void Form_QueryUnload();
    // After the close: ends the program.
    void Form_Unload();
    // Places the window centred in the screen's free area, before it is
    // shown. Where the window with its frame is larger than that area, its
    // layout stays whole in a view that scrolls, in a window that fits.
    void placeWithin(const QRect& available);

    // Host
    PointerMode MousePointer() const override { return m_mousePointer; }
    void SetMousePointer(PointerMode mode) override;
    double ProgressValue() const override { return ProgressBar1->Value(); }
    void SetProgressValue(double value) override { ProgressBar1->SetValue(value); }
    const QString& ProgressText() const override { return ProgressBar1->Text(); }
    void SetProgressText(const QString& text) override { ProgressBar1->SetText(text); }
    void DoEvents() override;

    // The custom pointer image, when the hand cursor file was loaded.
    const std::optional<QCursor>& MouseIcon() const { return m_mouseIcon; }

    // Code list editing and import.
    void PushButton6_Click() { CodeListEditing::addTypedCodes(*this); }
    void PushButton3_Click() { TextFileImport::loadCodesFromTextFiles(*this); }
    void PushButton1_Click() { CodeListEditing::clearCodeList(*this); }
    void PushButton12_Click() { CodeListEditing::addSampleCodes(*this); }
    // Validation run.
    void PushButton17_Click() { ValidationRun::startValidating(*this); }
    // Valid list: text file, spreadsheet, clipboard, clear.
    void PushButton4_Click() { TextExport::saveValidList(*this); }
    void PushButton13_Click() { SpreadsheetExport::exportValidList(*this); }
    void PushButton10_Click() { ClipboardCopy::copyValidList(*this); }
    void PushButton2_Click() { ResultClearing::clearValidList(*this); }
    // Invalid list: text file, spreadsheet, clipboard, clear.
    void PushButton8_Click() { TextExport::saveInvalidList(*this); }
    void PushButton7_Click() { SpreadsheetExport::exportInvalidList(*this); }
    void PushButton11_Click() { ClipboardCopy::copyInvalidList(*this); }
    void PushButton9_Click() { ResultClearing::clearInvalidList(*this); }
    // Help.
    void PushButton5_Click() { Help::showHelp(*this); }

    // Removing one item by double-click or Delete.
    void ListView1_DblClick() { removeSelectedItem(ListView1); }
    void ListView2_DblClick() { removeSelectedItem(ListView2); }
    void ListView3_DblClick() { removeSelectedItem(ListView3); }
    void ListView1_KeyDown(int keyCode, int shift) { listKeyDown(ListView1, keyCode, shift); }
    void ListView2_KeyDown(int keyCode, int shift) { listKeyDown(ListView2, keyCode, shift); }
    void ListView3_KeyDown(int keyCode, int shift) { listKeyDown(ListView3, keyCode, shift); }
    // The right-click menu of each list; files and text dropped on the code list.
    void ListView1_ContextMenu(const QPoint& globalPos) { showListMenu(ListView1, globalPos); }
    void ListView2_ContextMenu(const QPoint& globalPos) { showListMenu(ListView2, globalPos); }
    void ListView3_ContextMenu(const QPoint& globalPos) { showListMenu(ListView3, globalPos); }
    void ListView1_OLEDragDrop(const QStringList& files, const QString& text);

    // Pointer feedback.
    void Form_MouseMove() { showPointer(PointerMode::Default); }
    void ListView_MouseMove() { showPointer(PointerMode::Default); }
    void PushButton_MouseMove() { showPointer(PointerMode::Custom); }

    ListView* ListView1;
    ListView* ListView2;
    ListView* ListView3;
    PushButton* PushButton1;
    PushButton* PushButton2;
    PushButton* PushButton3;
    PushButton* PushButton4;
    PushButton* PushButton5;
    PushButton* PushButton6;
    PushButton* PushButton7;
    PushButton* PushButton8;
    PushButton* PushButton9;
    PushButton* PushButton10;
    PushButton* PushButton11;
    PushButton* PushButton12;
    PushButton* PushButton13;
    PushButton* PushButton17;
    ProgressBar* ProgressBar1;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void layOut();
    void scrollLayout(const QSize& size);
    void connectHandlers();
    void loadMouseIcon(const QString& path);
    void removeSelectedItem(ListView* list);
    void listKeyDown(ListView* list, int keyCode, int shift);
    void showListMenu(ListView* list, const QPoint& globalPos);
    void showPointer(PointerMode mode);

    PointerMode m_mousePointer = PointerMode::Default;
    std::optional<QCursor> m_mouseIcon;
    int m_yieldDepth = 0;
    CodeListStore m_storedCodes;
};
