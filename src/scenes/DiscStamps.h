// Two black discs that spring up over the fading branches.
#pragma once

// Window 7 of the timeline (59097 < t < 65000).
void DrawDiscStamps();
