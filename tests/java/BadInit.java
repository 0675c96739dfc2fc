/** Its static initialiser fails, so the class cannot be loaded. */
public class BadInit {
  static final int VALUE = compute();

  static int compute() {
    throw new IllegalStateException("static initialiser failed");
  }

  public static void main(String[] args) {
    System.out.println("BadInit main ran with " + VALUE);
  }
}
