#include "pathops/OABezierPathIntersection.h"

#include "platform/Guard.h"
#include "platform/Log.h"

#include <utility>

void copyIntersection(OABezierPathIntersection *obj, const intersectionInfo &record,
                      qint64 leftSegment, qint64 rightSegment)
{
    if (!obj)
        return;
    if (record.leftParameterDistance < 0) {
        REPORT_FATAL();
        platform::Log(QStringLiteral("%1 [Line %2] ERROR ASSERT")
                          .arg(QLatin1String(Q_FUNC_INFO))
                          .arg(__LINE__));
    }
    OABezierPathIntersectionHalf left{leftSegment, record.leftParameter,
                                      record.leftParameterDistance, record.firstAspect,
                                      record.secondAspect};
    if (record.rightParameterDistance < 0)
        std::swap(left.firstAspect, left.secondAspect);
    obj->setLeft(left);
    obj->setRight(OABezierPathIntersectionHalf{rightSegment, record.rightParameter,
                                               record.rightParameterDistance, record.firstAspect,
                                               record.secondAspect});
}
