#include "../shell/Form1.h"

void Form1::PushButton4_Click() {}
void Form1::PushButton8_Click() {}
