/** An instance main, but no constructor the launcher may call. */
public class PrivateConstructor {
  private PrivateConstructor() {}

  void main() {
    System.out.println("PrivateConstructor main ran");
  }
}
