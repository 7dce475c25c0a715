// The printing services only the operating system can give: which print queues exist and which
// is the default, what papers (with their printable areas) and paper sources a queue offers, its
// state, and a print job to draw pages into. The report engine keeps its own printer model on
// top of this; a machine without any implementation installed, or without any queue, still has
// the engine's virtual printer.
//
// Texts are CP936 like every text of the engine; the implementation converts at its edge.
#pragma once

#include "platform/AnsiString.h"

#include <memory>
#include <vector>

class ICanvas;

// One paper a queue offers, portrait.
struct TPrintMedia {
    AnsiString Key;  // the queue's own name for it, sent with a job ("A4", "iso_a4_210x297mm")
    AnsiString Name; // what a person reads ("A4", "JIS B5")
    int Width = 0, Height = 0;                       // tenths of a millimetre
    int Left = 0, Top = 0, Right = 0, Bottom = 0;    // unprintable margins, hundredths of a mm
};

// One paper source (input slot).
struct TPrintSlot {
    AnsiString Key;  // sent with a job ("Upper")
    AnsiString Name; // "Upper Tray"
};

struct TPrintQueueInfo {
    AnsiString Driver;   // make and model
    AnsiString Location; // where the device is (or its address)
    AnsiString Comment;
    int Resolution = 600; // dots per inch the job's pages are drawn at
    bool Color = true;
    std::vector<TPrintMedia> Media;
    std::vector<TPrintSlot> Slots;
    AnsiString DefaultMedia, DefaultSlot; // keys; may be empty
};

struct TPrintQueueState {
    enum { Idle, Printing, Stopped } State = Idle;
    AnsiString Reason; // the queue's own words when it is not simply idle
    int Jobs = 0;      // jobs waiting or printing
};

// What one spooler document is printed with.
struct TPrintJobSettings {
    AnsiString Queue, Title;
    AnsiString MediaKey;          // empty: a custom size of Width x Height
    int Width = 0, Height = 0;    // the sheet, tenths of a mm, portrait
    bool Landscape = false;
    AnsiString SlotKey;           // empty: the queue's default source
    int Resolution = 600;
    // Where the device's origin lies on the sheet (the printable area's corner), device pixels in
    // the page's orientation: drawing at (0, 0) lands there, as on a printer's device context.
    int OriginX = 0, OriginY = 0;
};

struct TPrintResult {
    bool Ok = false;
    int JobId = 0;
    AnsiString Reason; // why the queue refused, when it did
};

class IPrintJob {
public:
    virtual ~IPrintJob() = default;
    // The canvas of the open page (valid between StartPage and EndPage).
    virtual ICanvas& Canvas() = 0;
    virtual void StartPage() = 0;
    virtual void EndPage() = 0;
    // Hands the finished document to the queue.
    virtual TPrintResult Finish() = 0;
    // Drops the document; nothing reaches the queue.
    virtual void Abort() = 0;
};

class IPrintPlatform {
public:
    virtual ~IPrintPlatform() = default;
    virtual std::vector<AnsiString> Queues() = 0;
    // Empty when the system names no default.
    virtual AnsiString DefaultQueue() = 0;
    // False when the queue cannot be asked (gone, or the system refuses).
    virtual bool QueueInfo(const AnsiString& queue, TPrintQueueInfo& info) = 0;
    virtual TPrintQueueState QueueState(const AnsiString& queue) = 0;
    // Starts a document; nullptr with the reason in `error` when that is impossible.
    virtual std::unique_ptr<IPrintJob> BeginJob(const TPrintJobSettings& settings, AnsiString& error) = 0;
};

// The installed platform (not owned); nullptr when there is none.
IPrintPlatform* PrintPlatform();
void SetPrintPlatform(IPrintPlatform* platform);
