// QvBase.h - includes every public header of the library.
#ifndef QVBASE_QVBASE_H
#define QVBASE_QVBASE_H

#include <QvBase/QvExport.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvFileName.h>
#include <QvBase/QvGlobals.h>
#include <QvBase/QvNamedObj.h>
#include <QvBase/QvNumberText.h>
#include <QvBase/QvPlatform.h>
#include <QvBase/QvProgress.h>
#include <QvBase/QvStdString.h>

#endif  // QVBASE_QVBASE_H
