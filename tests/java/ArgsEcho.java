import java.util.Arrays;

/** Prints what it received: its arguments and the system properties listed in echo.properties. */
public class ArgsEcho {
  public static void main(String[] args) {
    System.out.println("count=" + args.length);
    for (int i = 0; i < args.length; i++) {
      System.out.println("arg[" + i + "]=" + escaped(args[i]));
    }
    String names = System.getProperty("echo.properties", "");
    for (String name : names.split(",")) {
      if (!name.isEmpty()) System.out.println(name + "=" + escaped(String.valueOf(System.getProperty(name))));
    }
    if (Boolean.getBoolean("echo.jarMarker")) {
      try {
        Class.forName("JarMarker");
        System.out.println("JarMarker found");
      } catch (ClassNotFoundException e) {
        System.out.println("JarMarker missing");
      }
    }
  }

  /** Non-ASCII and control characters as \\uXXXX, so the output does not depend on any encoding. */
  static String escaped(String text) {
    StringBuilder out = new StringBuilder();
    for (char c : text.toCharArray()) {
      if (c >= 0x20 && c < 0x7f && c != '\\') {
        out.append(c);
      } else {
        out.append(String.format("\\u%04x", (int) c));
      }
    }
    return out.toString();
  }
}
