// The diagram's drawing objects arrive with the document layer; this unit keeps
// the Qt Gui layer linked from the start.
#include <QtGui/QImage>

int DrawingObjectsLinked() { return QImage(1, 1, QImage::Format_Mono).width(); }
