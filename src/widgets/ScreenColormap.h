#pragma once

class QWindow;

// Gives a window on an X11 display the screen's own colormap when it uses the screen's own
// visual. The toolkit gives its windows a colormap of their own, which the screen never
// installs; screen captures that compose the picture colormap by colormap (xwd, and the desktop
// tools built like it) then read a window that overlaps another of the program's windows from
// the windows beneath it, and show it black. Does nothing on other displays.
void useScreenColormap(QWindow& window);
