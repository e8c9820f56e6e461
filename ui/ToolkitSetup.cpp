#include "ui/ToolkitSetup.h"

#include <cstdlib>

namespace pagrovix {

void PrepareToolkit() {
    // Once the web engine draws its frames with OpenGL, the toolkit composes the whole window with
    // OpenGL too, and a repaint of only part of the window puts the engine's frame in the wrong
    // place: a part of the page uncovered by another window or a drop-down list keeps the face
    // colour of the panel behind it. Composed without OpenGL, each repaint shows the page.
    setenv("GDK_GL", "disable", 1);
}

}  // namespace pagrovix
