#include "modes/State3.h"

#include "platform/ListView.h"
#include "ui/Form2.h"
#include "ui/Forms.h"

void State3::State_Command1(const QString&)
{
    Forms::Get<Form2>().ListView1().Clear();
}
