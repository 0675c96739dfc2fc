/** Its static initialiser ends with an error, which reaches the caller unwrapped. */
public class InitError {
  static {
    if (Boolean.parseBoolean("true")) throw new AssertionError("initialiser gave up");
  }

  public static void main(String[] args) {
    System.out.println("InitError main ran");
  }
}
