// The wait hint: a small window without title bar that stays on top of all windows, centred on
// the screen (client area 332 x 87), with the text "正在统计，请稍候..." and a looping animation.
// It is shown and painted at once before a blocking server call and closed after it; closing frees
// it.
//
// The animation is the clip "Resource/Turtle.avi" (relative to the current folder) when that file
// exists and can be played, else the built-in folder-search animation; each has its own place for
// the animation and the text.
#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

class TFrmHint : public QWidget {
    Q_OBJECT
public:
    TFrmHint();

    // Creates the hint, shows it and paints it before returning.
    static TFrmHint* ShowHint();
    // Closes (and so frees) the hint; safe with a hint already gone.
    static void CloseHint(QPointer<TFrmHint>& hint);

    QLabel* Label = nullptr;
    QWidget* Animation = nullptr;
    bool PlaysClip() const { return FPlaysClip; }

private:
    bool FPlaysClip = false;
};

// Shows a wait hint for the lifetime of a scope (closed also when the scope is left by an error).
class TWaitHint {
public:
    TWaitHint() : FHint(TFrmHint::ShowHint()) {}
    ~TWaitHint() { Close(); }
    TWaitHint(const TWaitHint&) = delete;
    TWaitHint& operator=(const TWaitHint&) = delete;
    void Close() { TFrmHint::CloseHint(FHint); }

private:
    QPointer<TFrmHint> FHint;
};
