#pragma once

#include "features/CodeListStore.h"
#include "features/host/Host.h"
#include "features/host/Services.h"

#include <QCursor>
#include <QWidget>
#include <optional>

class ListView;
class ProgressBar;
class PushButton;

// The main window. Its handlers are named after their control and event; each
// hands the work to the feature that owns it (CONTRIBUTING.md has the table),
// with the window as the feature's host.
class Form1 : public QWidget, public Host
{
    Q_OBJECT

public:
    explicit Form1(const Services& services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, before the window is first shown.
    void Form_Load();
    // The close request: stores the code list; never refuses.
    void Form_QueryUnload();
    // After the close: ends the program.
    void Form_Unload();

    // Host
    PointerMode MousePointer() const override { return m_mousePointer; }
    void SetMousePointer(PointerMode mode) override;
    double ProgressValue() const override;
    void SetProgressValue(double value) override;
    const QString& ProgressText() const override;
    void SetProgressText(const QString& text) override;
    void DoEvents() override;

    // The custom pointer image, when the hand cursor file was loaded.
    const std::optional<QCursor>& MouseIcon() const { return m_mouseIcon; }

    // Code list editing and import.
    void PushButton6_Click();
    void PushButton3_Click();
    void PushButton1_Click();
    void PushButton12_Click();
    // Validation run.
    void PushButton17_Click();
    // Valid list: text file, spreadsheet, clipboard, clear.
    void PushButton4_Click();
    void PushButton13_Click();
    void PushButton10_Click();
    void PushButton2_Click();
    // Invalid list: text file, spreadsheet, clipboard, clear.
    void PushButton8_Click();
    void PushButton7_Click();
    void PushButton11_Click();
    void PushButton9_Click();
    // Help.
    void PushButton5_Click();

    // Removing one item by double-click or Delete.
    void ListView1_DblClick();
    void ListView2_DblClick();
    void ListView3_DblClick();
    void ListView1_KeyDown(int keyCode, int shift);
    void ListView2_KeyDown(int keyCode, int shift);
    void ListView3_KeyDown(int keyCode, int shift);
    // The right-click menu of each list; files and text dropped on the code list.
    void ListView1_ContextMenu(const QPoint& globalPos);
    void ListView2_ContextMenu(const QPoint& globalPos);
    void ListView3_ContextMenu(const QPoint& globalPos);
    void ListView1_OLEDragDrop(const QStringList& files, const QString& text);

    // Pointer feedback.
    void Form_MouseMove();
    void ListView_MouseMove();
    void PushButton_MouseMove();

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
    void connectHandlers();
    void loadMouseIcon(const QString& path);
    void showListMenu(ListView* list, const QPoint& globalPos);

    PointerMode m_mousePointer = PointerMode::Default;
    std::optional<QCursor> m_mouseIcon;
    int m_yieldDepth = 0;
    CodeListStore m_storedCodes;
};
