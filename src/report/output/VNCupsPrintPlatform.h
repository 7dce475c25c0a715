// The printing platform on CUPS: queues, the default, papers with their printable areas, paper
// sources and queue states come from libcups (the destination's IPP attributes, so PPD and
// driverless queues answer alike); a job's pages are drawn with Qt Print Support into a PDF,
// which is then submitted through libcups. Qt alone cannot choose a paper source on CUPS and
// hands its own copy count to the queue, so the submission carries the options itself: the
// media, the source ("media-source", which the scheduler turns into the PPD's InputSlot) and
// always one copy (the engine makes its copies itself).
//
// libcups follows CUPS_SERVER, so tests point it at a private scheduler.
#pragma once

#include "platform/PrintPlatform.h"

class TVNCupsPrintPlatform : public IPrintPlatform {
public:
    std::vector<AnsiString> Queues() override;
    AnsiString DefaultQueue() override;
    bool QueueInfo(const AnsiString& queue, TPrintQueueInfo& info) override;
    TPrintQueueState QueueState(const AnsiString& queue) override;
    std::unique_ptr<IPrintJob> BeginJob(const TPrintJobSettings& settings, AnsiString& error) override;
};

// Installs one CUPS platform for the process and makes the shared printer use it.
void InstallVNCupsPrinting();
