// SPDX-License-Identifier: MPL-2.0
#include "ui/OwnedWindow.h"

#include "ui/Form2.h"
#include "ui/Forms.h"

#include <QWindow>

void OwnedWindow::AttachToMainWindow(QWidget* window, bool centre)
{
    if (!Forms::IsLoaded<Form2>())
        return;
    Form2& owner = Forms::Get<Form2>();
    if (QWindow* handle = window->windowHandle()) {
        if (QWindow* ownerHandle = owner.windowHandle())
            handle->setTransientParent(ownerHandle);
    }
    if (centre && owner.isVisible()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(owner.frameGeometry().center());
        window->move(frame.topLeft());
    }
}
