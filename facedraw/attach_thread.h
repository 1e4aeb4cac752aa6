// The thread that attaches the overlay to the host's windows soon after start-up.
#pragma once

namespace vizmark {

// Starts the thread: every 2 s, at most 30 times, it tries AttachFace without a picture;
// on the first success it asks for a replay of the filter shortcut and ends.
void StartAttachThread();

// Tells the thread to end and waits until it has: no attachment can happen after this.
void StopAttachThread();

}  // namespace vizmark
