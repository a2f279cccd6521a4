#include "../shell/Form1.h"

void Form1::PushButton17_Click() {}
