/** Compiled as usual, then marked as built for Java 25 (class-file version 69). */
public class NewerClass {
  public static void main(String[] args) {
    System.out.println("NewerClass main ran");
  }
}
