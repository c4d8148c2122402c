// QvBase.h - includes every public header of the library.
#ifndef QVBASE_QVBASE_H
#define QVBASE_QVBASE_H

#include <QvBase/QvColorTable.h>
#include <QvBase/QvExport.h>
#include <QvBase/QvGlobals.h>
#include <QvBase/QvNeutralFile.h>
#include <QvBase/QvPlatform.h>
#include <QvBase/QvSerializableObj.h>
#include <QvBase/QvWritableObj.h>

#endif  // QVBASE_QVBASE_H
