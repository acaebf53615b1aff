#pragma once

// FFmpeg writes its diagnostics to the standard error by default; the core never prints, so the
// media layers silence it once before their first call.
void SilenceFFmpegLog();
