#include "../shell/Form1.h"

bool Form1::SaveResultsAsExcelFileIsExcelInstalled()
{
    return false;
}
void Form1::PushButton13_Click() {}
void Form1::PushButton7_Click() {}
