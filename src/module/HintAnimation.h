// The small looping animations of the wait hint: a clip read from an AVI file (uncompressed or
// RLE8 frames, the kinds an animation control plays) and the built-in folder-search animation
// used when there is no clip. Both run on a timer in the user-interface thread.
#pragma once

#include <QImage>
#include <QWidget>

#include <string>
#include <vector>

class QTimer;

// A clip's frames and its frame time.
struct TAviClip {
    std::vector<QImage> Frames;
    int FrameMs = 100;
};

// Reads an AVI file. Nothing is returned for a file that cannot be read, that has no video stream
// of a supported kind, or whose sizes are out of proportion; reading never trusts a size field
// beyond the bytes that are there.
bool LoadAviClip(const std::string& path, TAviClip& clip);

class TAviAnimation : public QWidget {
public:
    TAviAnimation(TAviClip clip, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TAviClip FClip;
    std::size_t FFrame = 0;
    QTimer* FTimer;
};

// A magnifier circling over a folder: the stand-in for the platform's folder-search animation.
class TFolderSearchAnimation : public QWidget {
public:
    explicit TFolderSearchAnimation(QWidget* parent);
    int Step() const { return FStep; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int FStep = 0;
    QTimer* FTimer;
};
