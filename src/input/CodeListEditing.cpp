#include "../shell/Form1.h"

void Form1::PushButton6_Click() {}
void Form1::PushButton12_Click() {}
void Form1::PushButton1_Click() {}
void Form1::ListView1_DblClick() {}
void Form1::ListView2_DblClick() {}
void Form1::ListView3_DblClick() {}
void Form1::ListView1_KeyDown(int, int) {}
void Form1::ListView2_KeyDown(int, int) {}
void Form1::ListView3_KeyDown(int, int) {}
void Form1::removeSelectedItem(ListView*) {}
void Form1::listKeyDown(ListView*, int) {}
