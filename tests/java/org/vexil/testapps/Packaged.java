package org.vexil.testapps;

/** A main class in a package, configured with dots and found in slash form. */
public class Packaged {
  public static void main(String[] args) {
    System.out.println("Packaged main ran with " + args.length + " arguments");
  }
}
