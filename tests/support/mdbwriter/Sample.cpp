#include "Sample.h"
namespace mdbw { void writeSample(const QString&) {} QString sampleXdbText() { return {}; } }
