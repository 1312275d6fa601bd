#pragma once

#include <QIcon>

namespace ruvo {

// The program's artwork, drawn in code so no image files need shipping.
enum class ToolbarImage { New, Open, Save, Mixer, Record, Edit, Smoothing, Calculate, Tables, Graph, About };

QIcon ApplicationIcon();  // a dial with its needle
QIcon DocumentIcon();     // a page with the dial
QIcon ToolbarIcon(ToolbarImage image);

}  // namespace ruvo
