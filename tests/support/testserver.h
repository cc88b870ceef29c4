#ifndef QUORVEX_TESTSERVER_H
#define QUORVEX_TESTSERVER_H

#include "sim/classfactory.h"
#include "sim/dispatchobject.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

class TEventSource;

// A small automation server for the bridge's tests, registered as
// "Quorvex.TestServer" while it lives. Its objects have the text property
// "Name", the number "Count", the sub-object "Child", the failing property
// "Broken", the method "Echo" (which records what it was given and returns
// its argument count) and the event interface "ITestEvents", described in a
// type library written to a temporary folder.
class TTestServer
{
public:
    static const CLSID CLASS_ID;
    static const IID EVENTS_ID;
    static const QString PROG_ID;

    TTestServer();
    ~TTestServer();

    // A new object as the server would hand it out, with one reference for the caller.
    TDispatchObject *New_Object();
    TEventSource *Events() const { return d_events; }
    int Property_Puts() const { return d_property_puts; }
    // Each call's arguments in IDispatch order, described as "I4:1", "BSTR:text" and so on.
    const std::vector<QStringList> &Echo_Calls() const { return d_echo_calls; }
    QString Name() const { return d_name; }
    QString Type_Library() const { return d_folder.filePath(QStringLiteral("test.tlb")); }
    // How often a client asked an object for its connection points.
    int Connection_Point_Queries() const { return d_connection_point_queries; }
    // The code a found connection point is handed over with (S_OK unless set).
    void Set_Found_Result(HRESULT result) { d_found_result = result; }
    static QString Describe(const VARIANT &value);

private:
    TDispatchObject *Make_Object();

    QTemporaryDir d_folder;
    std::unique_ptr<TClassFactory> d_factory;
    TEventSource *d_events;
    QString d_name;
    int d_property_puts;
    int d_connection_point_queries;
    HRESULT d_found_result;
    std::vector<QStringList> d_echo_calls;
};

#endif
