#pragma once

class QLineEdit;
class QString;

// How wide `field` must be to show `text` whole, without scrolling it: the
// text, the field's margins and the caret, inside the style's frame. A field
// sized to its font's advance alone cuts its last characters off.
int FieldWidthFor(const QLineEdit& field, const QString& text);
