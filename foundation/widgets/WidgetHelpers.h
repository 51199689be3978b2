#pragma once

class QBoxLayout;
class QHBoxLayout;

namespace WIDGET {

// Appends a new row layout (margin 1, spacing 2) to the given layout and returns it.
// With a null argument the row is returned unattached.
QHBoxLayout* prepareInnerHLayout(QBoxLayout* parentLayout);

} // namespace WIDGET
