// Values between the page's scripts and Java. To Java: booleans as Boolean, integers as Integer, other numbers as
// Double, strings as String, null and undefined as null, objects (windows, elements, plain objects) as a
// VokJSObject that names them. From Java: the text a method or field gave, read by the member's Java type, so that
// every Java number is a script number; and the objects the Java side hands to a page call.
#pragma once

#include <jni.h>

#include <string>

#include "kxw/KxwJsval.h"

class KxwDomJavaVUser;

// A Java member's value as the script gets it, from its type word and its text (null text: Java's null).
struct KxwDomJavaTypedValue {
    enum Kind { kUndefined, kNull, kBoolean, kNumber, kString } _eKind = kUndefined;
    bool _bValue = false;
    double _dfValue = 0;
    std::u16string _dsValue;

    static KxwDomJavaTypedValue FromJava(const std::string& mrdsType, JNIEnv* mptEnv, jstring mtText);
    void ToScript(KxwJsval& mrtValue) const;
};

// The type word of a member without the "()" a method's carries; whether it was a method.
std::string xfdsKxwDomJavaMemberType(const std::string& mrdsTypeWord, bool* mpbMethod);

// A script value as the Java object a member or a page call takes (a local reference, or null); a value that
// cannot go to Java is reported and becomes null.
jobject xftKxwDomJavaFromScript(JNIEnv* mptEnv, const KxwJsval& mrtValue, KxwDomJavaVUser* mptVUser);
// A Java object (from a JSObject call) as a script value: strings, booleans, numbers, the objects a VokJSObject
// names; anything else as its toString().
void xfvKxwDomJavaToScript(JNIEnv* mptEnv, jobject mtObject, KxwDomJavaVUser* mptVUser, KxwJsval& mrtValue);
