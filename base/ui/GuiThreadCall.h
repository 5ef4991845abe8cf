#pragma once

#include <functional>

class CEvent;
class QObject;

// Runs `work` on the thread of `context` (the GUI thread) and returns once it
// has run: the "send and wait" that workers use to reach windows.
//
// Called on that thread it runs the work at once, so the GUI thread never waits
// for itself. From any other thread the work is queued and the caller waits. It
// gives up when `abandon` is set, because the GUI thread then waits for this
// worker to end and would never run the queued work, and when `context` is
// destroyed before the work ran. Abandoned work that has not started never
// starts; work must own its data, since it may outlive an abandoned caller.
// Work that arrives while the GUI thread pumps during a wait for the instrument
// runs after that wait (CGuiEventPump).
//
// True when the work ran to its end.
bool CallOnGuiThread(QObject& context, CEvent* abandon, std::function<void()> work);
