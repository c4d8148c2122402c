/// \file
/// Includes every public header of the library.
#ifndef QVBASE_QVBASE_H
#define QVBASE_QVBASE_H

#include <QvBase/QvColorTable.h>
#include <QvBase/QvDrawableAttrib.h>
// Absent from an installation built without the display-list part.
#if __has_include(<QvBase/QvDrawableObj.h>)
#include <QvBase/QvDrawableObj.h>
#endif
#include <QvBase/QvError.h>
#include <QvBase/QvExport.h>
#include <QvBase/QvFile.h>
#include <QvBase/QvFileName.h>
#include <QvBase/QvGlobals.h>
#include <QvBase/QvIdManager.h>
#include <QvBase/QvNamedObj.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvNumberText.h>
#include <QvBase/QvPlatform.h>
#include <QvBase/QvProgress.h>
#include <QvBase/QvSerializableObj.h>
#include <QvBase/QvStdString.h>
#include <QvBase/QvStopWatch.h>
#include <QvBase/QvTime.h>
#include <QvBase/QvUserData.h>
#include <QvBase/QvUserDataUse.h>
#include <QvBase/QvVersion.h>
#include <QvBase/QvWritableObj.h>

#endif  // QVBASE_QVBASE_H
