#pragma once
// The exception guard of every entry point that must not fail: an exception is caught, the report
// is printed to standard output, its name and reason are logged, and the neutral value answered.
//
//   bool Foo() { GUARD_BEGIN ... return true; GUARD_END(false) }
//   void Bar() { GUARD_BEGIN ... GUARD_END_VOID }
//
// REPORT_FATAL() prints the same report for a broken precondition.

#include <QByteArray>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <typeinfo>

namespace platform {

// An exception with a name and a reason, as the original platform raised them.
class Exception : public std::runtime_error
{
public:
    Exception(QString name, QString reason);
    const QString &name() const { return mName; }
    const QString &reason() const { return mReason; }

private:
    QString mName;
    QString mReason;
};

// Where reports go: standard output unless a test replaces it (nullptr restores standard output).
using ReportSink = std::function<void(const QByteArray &text)>;
void setReportSink(ReportSink sink);

// Prints one report block: kind is "EXCEPTION PROBLEM" or "FATAL_ERROR DOWN HERE".
void printReport(const char *kind, const char *file, const char *function, int line);
// The exception report plus the log line "INFO: <name> - <reason>".
void reportException(const char *file, const char *function, int line, const std::exception *e);

} // namespace platform

#define GUARD_BEGIN try {
#define PELKO_GUARD_CATCH_AS(signature)                                                            \
    }                                                                                              \
    catch (const std::exception &pelkoGuardError)                                                  \
    {                                                                                              \
        ::platform::reportException(__FILE__, signature, __LINE__, &pelkoGuardError);              \
    }                                                                                              \
    catch (...)                                                                                    \
    {                                                                                              \
        ::platform::reportException(__FILE__, signature, __LINE__, nullptr);                       \
    }
#define PELKO_GUARD_CATCH PELKO_GUARD_CATCH_AS(Q_FUNC_INFO)
#define GUARD_END(neutral)                                                                         \
    PELKO_GUARD_CATCH                                                                              \
    return neutral;
#define GUARD_END_VOID PELKO_GUARD_CATCH
#define REPORT_FATAL()                                                                             \
    ::platform::printReport("FATAL_ERROR DOWN HERE", __FILE__, Q_FUNC_INFO, __LINE__)
// The same with the signature text the report shows given by the caller, for routines whose
// reports must read as the original's ("CGRect OFConstrainRect(CGRect, CGRect)").
#define GUARD_END_NAMED(neutral, signature)                                                        \
    PELKO_GUARD_CATCH_AS(signature)                                                                \
    return neutral;
#define GUARD_END_VOID_NAMED(signature) PELKO_GUARD_CATCH_AS(signature)
#define REPORT_FATAL_NAMED(signature)                                                              \
    ::platform::printReport("FATAL_ERROR DOWN HERE", __FILE__, signature, __LINE__)

// Casts an object to the class the caller expects: nullptr stays nullptr silently; an object of
// another class answers nullptr with the broken-precondition report.
template <class T, class U>
T *CastFunctionImpl(U *object, const char *file, const char *function, int line)
{
    if (!object)
        return nullptr;
    T *cast = dynamic_cast<T *>(object);
    if (!cast)
        ::platform::printReport("FATAL_ERROR DOWN HERE", file, function, line);
    return cast;
}
template <class T, class U>
std::shared_ptr<T> CastFunction2Impl(const std::shared_ptr<U> &object, const char *file,
                                     const char *function, int line)
{
    if (!object)
        return nullptr;
    auto cast = std::dynamic_pointer_cast<T>(object);
    if (!cast)
        ::platform::printReport("FATAL_ERROR DOWN HERE", file, function, line);
    return cast;
}
#define CastFunction(Type, object) CastFunctionImpl<Type>(object, __FILE__, Q_FUNC_INFO, __LINE__)
#define CastFunction2(Type, object) CastFunction2Impl<Type>(object, __FILE__, Q_FUNC_INFO, __LINE__)
