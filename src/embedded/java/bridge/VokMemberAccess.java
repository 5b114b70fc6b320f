import java.lang.reflect.Field;
import java.lang.reflect.Method;
import java.lang.reflect.Modifier;
import java.util.ArrayList;
import java.util.Comparator;
import java.util.HashMap;
import java.util.List;
import java.util.Map;
import netscape.javascript.JSObject;

/**
 * The public methods and fields of an applet class as the page sees them: which overload a call means, and how
 * the page's values (Boolean, Integer, Double, String, null, script objects) become Java arguments.
 */
final class VokMemberAccess {
    /** Stands for "this value does not convert to that type". */
    static final Object NOT_CONVERTIBLE = new Object();

    private static final int NO = -1;

    private final Class<?> type;
    private final Map<String, List<Method>> methods = new HashMap<>();

    VokMemberAccess(Class<?> type) {
        this.type = type;
        for (Method m : type.getMethods()) {
            if (!m.isBridge() && !m.isSynthetic()) {
                methods.computeIfAbsent(m.getName(), k -> new ArrayList<>()).add(m);
            }
        }
        // The applet's own methods before those it inherits from the JDK (its add(int, int) is not Container's
        // add(Component)), then fewest parameters, then a fixed order, so that a page always sees the same member.
        Comparator<Method> order = Comparator.comparingInt(m -> isAppletCode(m.getDeclaringClass()) ? 0 : 1);
        order = order.thenComparingInt(Method::getParameterCount).thenComparing(Method::toGenericString);
        for (List<Method> overloads : methods.values()) {
            overloads.sort(order);
        }
    }

    private static boolean isAppletCode(Class<?> c) {
        return c.getClassLoader() instanceof JarClassLoader;
    }

    /** "int()" for a method, "int" for a field, "none" when the name is neither. */
    String returnTypeWord(String name) {
        List<Method> overloads = methods.get(name);
        if (overloads != null) {
            return overloads.get(0).getReturnType().getName() + "()";
        }
        Field f = field(name);
        return f == null ? "none" : f.getType().getName();
    }

    Field field(String name) {
        if (name == null) {
            return null;
        }
        try {
            return type.getField(name);
        } catch (NoSuchFieldException e) {
            return null;
        }
    }

    /** A method and its converted arguments. */
    static final class Choice {
        final Method method;
        final Object[] arguments;

        Choice(Method method, Object[] arguments) {
            this.method = method;
            this.arguments = arguments;
        }
    }

    /** The most specific public method of that name and arity the arguments convert to; null when none. */
    Choice chooseMethod(String name, Object[] args) {
        List<Method> overloads = name == null ? null : methods.get(name);
        if (overloads == null) {
            return null;
        }
        Method best = null;
        int bestCost = Integer.MAX_VALUE;
        for (Method m : overloads) {
            if (m.getParameterCount() != args.length) {
                continue;
            }
            int cost = callCost(m.getParameterTypes(), args);
            if (cost == NO) {
                continue;
            }
            if (best == null || cost < bestCost || (cost == bestCost && moreSpecific(m, best))) {
                best = m;
                bestCost = cost;
            }
        }
        if (best == null) {
            return null;
        }
        Class<?>[] params = best.getParameterTypes();
        Object[] converted = new Object[args.length];
        for (int i = 0; i < args.length; i++) {
            converted[i] = convert(args[i], params[i]);
        }
        return new Choice(best, converted);
    }

    private static int callCost(Class<?>[] params, Object[] args) {
        int total = 0;
        for (int i = 0; i < params.length; i++) {
            int cost = cost(args[i], params[i]);
            if (cost == NO) {
                return NO;
            }
            total += cost;
        }
        return total;
    }

    /** Every parameter of a is the same as, or narrower than, b's. */
    private static boolean moreSpecific(Method a, Method b) {
        Class<?>[] pa = a.getParameterTypes();
        Class<?>[] pb = b.getParameterTypes();
        boolean narrower = false;
        for (int i = 0; i < pa.length; i++) {
            if (pa[i] == pb[i]) {
                continue;
            }
            boolean widens = pa[i].isPrimitive() ? (!pb[i].isPrimitive() || primitiveRank(pa[i]) < primitiveRank(pb[i]))
                                                 : (!pb[i].isPrimitive() && pb[i].isAssignableFrom(pa[i]));
            if (!widens) {
                return false;
            }
            narrower = true;
        }
        return narrower;
    }

    private static int primitiveRank(Class<?> t) {
        if (t == byte.class) {
            return 0;
        }
        if (t == short.class || t == char.class) {
            return 1;
        }
        if (t == int.class) {
            return 2;
        }
        if (t == long.class) {
            return 3;
        }
        if (t == float.class) {
            return 4;
        }
        return 5;
    }

    /** How far the value has to travel to become that type (0 is an exact fit), NO when it cannot. */
    static int cost(Object value, Class<?> target) {
        if (value == null) {
            return target.isPrimitive() ? NO : (target == Object.class ? 1 : 0);
        }
        if (value instanceof Integer) {
            return integerCost((Integer) value, target);
        }
        if (value instanceof Double) {
            return doubleCost((Double) value, target);
        }
        if (value instanceof Boolean) {
            return target == boolean.class ? 0 : target == Boolean.class ? 1 : referenceCost(value, target, 2);
        }
        if (value instanceof String) {
            String s = (String) value;
            if (target == String.class) {
                return 0;
            }
            if (target == char.class || target == Character.class) {
                return s.length() == 1 ? 3 : NO;
            }
            return referenceCost(value, target, 1);
        }
        if (value instanceof JSObject) {
            return target == JSObject.class ? 0 : referenceCost(value, target, 1);
        }
        return referenceCost(value, target, 1);
    }

    private static int integerCost(int i, Class<?> t) {
        if (t == int.class) {
            return 0;
        }
        if (t == long.class) {
            return 1;
        }
        if (t == double.class) {
            return 2;
        }
        if (t == float.class) {
            return 3;
        }
        if (t == short.class) {
            return i == (short) i ? 4 : NO;
        }
        if (t == byte.class) {
            return i == (byte) i ? 5 : NO;
        }
        if (t == Integer.class) {
            return 6;
        }
        if (t == Long.class) {
            return 7;
        }
        return t == Number.class ? 8 : referenceCost(i, t, 9);
    }

    private static int doubleCost(double d, Class<?> t) {
        if (t == double.class) {
            return 0;
        }
        if (t == float.class) {
            return 1;
        }
        if (t == Double.class) {
            return 2;
        }
        if (t == int.class) {
            return isIntegral(d) && d >= Integer.MIN_VALUE && d <= Integer.MAX_VALUE ? 3 : NO;
        }
        if (t == long.class) {
            return isIntegral(d) && d >= Long.MIN_VALUE && d <= Long.MAX_VALUE ? 4 : NO;
        }
        return t == Number.class ? 5 : referenceCost(d, t, 6);
    }

    private static boolean isIntegral(double d) {
        return !Double.isInfinite(d) && !Double.isNaN(d) && d == Math.rint(d);
    }

    private static int referenceCost(Object value, Class<?> target, int cost) {
        if (target.isPrimitive() || !target.isInstance(value)) {
            return NO;
        }
        return target == Object.class ? cost + 1 : cost;
    }

    /** The value as that type, or NOT_CONVERTIBLE. */
    static Object convert(Object value, Class<?> target) {
        if (cost(value, target) == NO) {
            return NOT_CONVERTIBLE;
        }
        if (value instanceof Integer) {
            int i = (Integer) value;
            if (target == long.class || target == Long.class) {
                return (long) i;
            }
            if (target == double.class) {
                return (double) i;
            }
            if (target == float.class) {
                return (float) i;
            }
            if (target == short.class) {
                return (short) i;
            }
            if (target == byte.class) {
                return (byte) i;
            }
            return value;
        }
        if (value instanceof Double) {
            double d = (Double) value;
            if (target == float.class) {
                return (float) d;
            }
            if (target == int.class) {
                return (int) d;
            }
            if (target == long.class) {
                return (long) d;
            }
            return value;
        }
        if (value instanceof String && (target == char.class || target == Character.class)) {
            return ((String) value).charAt(0);
        }
        return value;
    }

    static boolean isSettable(Field f) {
        return !Modifier.isFinal(f.getModifiers());
    }
}
