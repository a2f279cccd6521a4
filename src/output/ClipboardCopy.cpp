#include "../shell/Form1.h"

void Form1::PushButton10_Click() {}
void Form1::PushButton11_Click() {}
void Form1::PushButton2_Click() {}
void Form1::PushButton9_Click() {}
