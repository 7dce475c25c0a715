// Keys of the module's push buttons. The dialogs keep Enter away from default buttons (Enter
// moves on from an edit or adds a condition), which in Qt also stops Enter on a focused button;
// the clerk expects Enter on a focused button to press it, as Space does.
#pragma once

class QAbstractButton;

// Enter or Return on the focused button clicks it.
void EnterPressesButton(QAbstractButton* button);
