package com.example.greeter;

/** A small application started by the launcher: it shows what it was given. */
public class Greeter {
  public static void main(String[] args) {
    System.out.println(System.getProperty("greeter.salutation", "Hello") + ", from Java "
        + System.getProperty("java.version") + " (" + System.getProperty("java.home") + ")");
    System.out.println("Class path: " + System.getProperty("java.class.path"));
    System.out.println(args.length + " argument(s):");
    for (int i = 0; i < args.length; i++) {
      System.out.println("  " + i + ": [" + args[i] + "]");
    }
  }
}
