#pragma once
#include <QHash>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tw {

// Our own skin component, driven the way the connection window has always
// driven its skin control: by member number. A skin is a Qt style sheet.
//   2  LoadSkin(path, scheme)  method: reads the style sheet (a style sheet
//                              has one scheme, so the second argument is not used)
//   1  ApplyOptions            property, flags: bit 0 lets ApplyWindow skin
//   5  AutoApplyNewWindows     property, kept for callers that set it
//   10 AutoApplyNewThreads     property, kept for callers that set it
//   3  ApplyWindow(handle)     method: gives the window with that native
//                              handle the loaded style sheet
// An unknown member number fails, as a dispatch call would.
class SkinFramework {
public:
    enum Member { ApplyOptions = 1, LoadSkin = 2, ApplyWindow = 3, AutoApplyNewWindows = 5, AutoApplyNewThreads = 10 };

    virtual ~SkinFramework() = default;
    virtual QVariant invokeMethod(int member, const QVariantList& arguments);
    virtual QVariant property(int member) const;
    virtual void setProperty(int member, const QVariant& value);

    QString styleSheet() const { return m_styleSheet; }

private:
    static void checkProperty(int member);
    QString m_styleSheet;
    QHash<int, QVariant> m_properties;
};

}
