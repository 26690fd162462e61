#pragma once

// The picture at the left of every wizard page: drawn, not loaded, so it is there
// whatever is installed. GUI thread only.

#include <QPixmap>

QPixmap WizardPicture();
