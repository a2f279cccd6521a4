#include "gui/Form1.h"
#include "support/ScriptedServices.h"

std::unique_ptr<Form1> ScriptedServices::loadForm()
{
    auto form = std::make_unique<Form1>(services());
    form->Form_Load();
    return form;
}
