#ifndef QUORVEX_AUTOMATION_H
#define QUORVEX_AUTOMATION_H

#include <windows.h>
#include <ocidl.h>

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class TAutomationEvent;

// One object of an OLE Automation server, used by names: created from a ProgID
// or CLSID, attached from the running object table, or wrapped around an
// IDispatch. Properties, methods and sub-objects are reached by name; the
// server's events arrive as Sink_Signal. Nothing throws: each operation
// reports by its result and keeps a last-error text. Used on the thread that
// initialised COM (the GUI thread), where its events are also delivered.
class TAutomation : public QObject
{
    Q_OBJECT

public:
    // The one value type of the bridge: arguments, results and event arguments.
    struct TArg
    {
        enum Type : qint32
        {
            TYPE_EMPTY = 0,
            TYPE_BOOL = 1,
            TYPE_INT = 2,
            TYPE_FLOAT = 3,
            TYPE_DOUBLE = 4,
            TYPE_STRING = 5,
            TYPE_STRING_LIST = 6,
            TYPE_DOUBLE_POINTER = 7,
            TYPE_INT_POINTER = 8,
            TYPE_DISPATCH = 9
        };

        // The pointers are borrowed: never read when copied, never freed, never AddRef'd.
        union TValue {
            bool b;
            qint32 i;
            float f;
            double d;
            double *double_pointer;
            int *int_pointer;
            IDispatch *dispatch;
            unsigned char raw[8];
        };

        Type type;
        TValue value;
        QString string;
        QStringList string_list;

        TArg();
        TArg(bool b);
        TArg(int i);
        TArg(float f);
        TArg(double d);
        TArg(const QString &s);
        TArg(const char *s);
        TArg(const QStringList &list);
        TArg(double *p);
        TArg(int *p);
        TArg(IDispatch *p);

        bool ToBool() const;
        int ToInt() const;
        float ToFloat() const;
        double ToDouble() const;
        QString ToString() const;
        int StringCount() const;
        QString StringAt(int index) const;
        double *DoublePointer() const;
        int *IntPointer() const;
        IDispatch *DispatchPointer() const;
        // A new parentless object that owns (and will release) the dispatch reference; the caller owns it.
        TAutomation *ToAutomation() const;
    };

    explicit TAutomation(QObject *parent = nullptr);
    // Takes over one reference on dispatch without AddRef.
    TAutomation(IDispatch *dispatch, QObject *parent);
    TAutomation(const QString &prog_id, QObject *parent);
    ~TAutomation() override;

    void ReleaseObject();
    bool CreateObject(const QString &prog_id);
    bool CreateObject(const unsigned char *clsid);

    bool SetProperty(const QString &name, const TArg &value);
    TArg GetProperty(const QString &name, const TArg &a1 = TArg(), const TArg &a2 = TArg(), const TArg &a3 = TArg(),
                     const TArg &a4 = TArg(), const TArg &a5 = TArg(), const TArg &a6 = TArg(),
                     const TArg &a7 = TArg(), const TArg &a8 = TArg(), const TArg &a9 = TArg(),
                     const TArg &a10 = TArg(), const TArg &a11 = TArg(), const TArg &a12 = TArg(),
                     const TArg &a13 = TArg(), const TArg &a14 = TArg(), const TArg &a15 = TArg(),
                     const TArg &a16 = TArg());
    TArg Call(const QString &name, const TArg &a1 = TArg(), const TArg &a2 = TArg(), const TArg &a3 = TArg(),
              const TArg &a4 = TArg(), const TArg &a5 = TArg(), const TArg &a6 = TArg(), const TArg &a7 = TArg(),
              const TArg &a8 = TArg(), const TArg &a9 = TArg(), const TArg &a10 = TArg(), const TArg &a11 = TArg(),
              const TArg &a12 = TArg(), const TArg &a13 = TArg(), const TArg &a14 = TArg(),
              const TArg &a15 = TArg(), const TArg &a16 = TArg());
    TAutomation *GetSubObject(const QString &name);

    // Whether the object holds a dispatch interface (created, attached or wrapped).
    bool Has_Interface() const { return d_dispatch_interface != nullptr; }
    QString Last_Error() const { return d_last_error; }
    static QString Error_Text(HRESULT status);

    static bool Init_COM();
    static bool Init_COM_Multithreaded();
    static void Uninit_COM();
    static bool Window_Class_Exists(const QString &class_name);

    bool Init_Events(const QString &type_library_path, const QString &interface_name);
    bool Init_Event_Signals(const QString &type_library_path);
    bool Add_Event_Signal(const QString &event_name);
    bool Connect_Events();
    void Release_Events();
    // Called by the sink: arguments in IDispatch order, the last declared first.
    void Dispatch_Event(DISPID dispid, int argument_count, VARIANT *arguments);

    bool ArgToVariant(VARIANT *variant_argument, const TArg &arg);
    static bool VariantToArg(const VARIANT *variant, TArg *param);
    // The value of a VARIANT returned by Invoke; what it owns passes to the TArg or is freed.
    static TArg Result_To_Arg(VARIANT *result);

signals:
    void Sink_Signal(QString event_name, int argument_count, TAutomation::TArg *arguments);

private:
    bool Create_Instance(const CLSID &clsid);
    void Drop_Connection();
    DISPID Name_To_Id(const QString &name) const;
    bool Check_Callable(const QString &name);
    TArg Invoke_Member(const QString &name, WORD flags, const TArg *const arguments[16],
                       const QString &unknown_text, const QString &failure_prefix);
    static void Free_Argument(VARIANT *argument);
    // The type named interface_name, with a copy of its attributes.
    static bool Find_Type(ITypeLib *library, const QString &interface_name, ITypeInfo **type_info,
                          TYPEATTR *attributes);

    IUnknown *d_unknown_interface;
    IDispatch *d_dispatch_interface;
    TAutomationEvent *d_event_sink;
    IConnectionPoint *d_connection_point;
    DWORD d_advise_cookie;
    IID d_event_interface_id;
    QMap<DISPID, QString> d_event_names;
    std::vector<std::pair<DISPID, QString>> d_event_functions;
    QString d_last_error;
};

#endif
